#!/usr/bin/env bash
# Starts a throw-away PostgreSQL cluster for the tests: a new data folder under a temporary
# folder, listening only on 127.0.0.1 and a socket inside that folder, trusting local connections.
# Run as root, the cluster runs as the postgres user. Prints the store URL on standard output,
# e.g. postgresql://127.0.0.1:54329/tarvel_test?user=postgres
# Stop it with: pg_ctl -D <folder>/data stop (the folder is printed on standard error).
# Usage: scripts/start-postgres.sh [port]
set -euo pipefail

port=${1:-54329}
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
  echo "start-postgres: the PostgreSQL server is not installed (scripts/install-deps.sh)" >&2
  exit 1
fi

folder=$(mktemp -d /tmp/tarvel-pg.XXXXXX)
chmod 755 "$folder"
if [ "$(id -u)" -eq 0 ]; then
  chown postgres:postgres "$folder"
  as_owner=(runuser -u postgres --)
  user=postgres
else
  as_owner=()
  user=$(id -un)
fi

"${as_owner[@]}" "$bindir/initdb" -D "$folder/data" -U "$user" -A trust -E UTF8 --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 ||
  { cat "$folder/initdb.log" >&2; exit 1; }
"${as_owner[@]}" "$bindir/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w \
  -o "-c listen_addresses=127.0.0.1 -p $port -k $folder -c fsync=off" start >/dev/null ||
  { cat "$folder/server.log" >&2; exit 1; }
"${as_owner[@]}" "$bindir/createdb" -h 127.0.0.1 -p "$port" -U "$user" tarvel_test

echo "start-postgres: cluster in $folder" >&2
echo "postgresql://127.0.0.1:$port/tarvel_test?user=$user"
