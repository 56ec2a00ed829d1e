#!/usr/bin/env bash
# Runs one test program on a desktop of its own: a virtual X server with the openbox window
# manager, on the xcb platform, where focus, activation and minimising behave as for a person.
# Usage: run-on-desktop.sh PROGRAM [ARGS...]
set -euo pipefail

for tool in Xvfb openbox xprop; do
  command -v "$tool" >/dev/null || { echo "run-on-desktop: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
cleanup() {
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "${x_pid:-}" ] && kill "$x_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The server picks a free display and tells its number once it accepts connections.
exec 3<> "$work/display"
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
x_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
display=$(head -n1 "$work/display")
[ -n "$display" ] || { echo "run-on-desktop: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$display"

# openbox with its own empty configuration, so that the machine's settings play no part.
mkdir -p "$work/config"
XDG_CONFIG_HOME="$work/config" openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is ready when it announces itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ||
  { echo "run-on-desktop: openbox did not start" >&2; cat "$work/openbox.log" >&2; exit 1; }

export QT_QPA_PLATFORM=xcb
"$@"
