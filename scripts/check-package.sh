#!/usr/bin/env bash
# Installs a built package with apt-get and checks it as a user would meet it: its files, its
# declared dependencies, its desktop entry, and the installed program starting with its application
# folder in a fresh user's data folder, owner-only. Needs root.
# Usage: scripts/check-package.sh build-pkg/tarvel_<version>_<arch>.deb
set -euo pipefail
deb=$(realpath "$1")
fail() { echo "check-package: $*" >&2; exit 1; }

DEBIAN_FRONTEND=noninteractive apt-get install -y -q --reinstall "$deb"

echo "== contents"
dpkg -L tarvel | sort
for f in /usr/bin/tarvel \
         "/usr/share/tarvel/Tarvel智能票据打印-帮助.html" \
         "/usr/share/tarvel/示例支票.BDF" \
         /usr/share/applications/tarvel.desktop \
         /usr/share/icons/hicolor/scalable/apps/tarvel.svg \
         /usr/share/icons/hicolor/48x48/apps/tarvel.png \
         /usr/share/icons/hicolor/256x256/apps/tarvel.png; do
  dpkg -L tarvel | grep -qxF "$f" || fail "missing from the package: $f"
  [ -e "$f" ] || fail "not installed: $f"
done
if dpkg -L tarvel | grep -q '^/usr/libexec/tarvel/.'; then
  echo "helpers: $(dpkg -L tarvel | grep '^/usr/libexec/tarvel/.' | tr '\n' ' ')"
fi

echo "== dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends"
for p in fonts-noto-cjk qt6-translations-l10n libqt6sql6-sqlite libqt6widgets6 libqt6printsupport6 \
         liborcus libfreexl libxlsxwriter; do
  grep -q "$p" <<<"$depends" || fail "not declared as a dependency: $p"
done

echo "== desktop entry"
desktop-file-validate /usr/share/applications/tarvel.desktop
grep -qx 'Name=Tarvel智能票据打印' /usr/share/applications/tarvel.desktop || fail "desktop entry name"
grep -qx 'Categories=Office;Finance;' /usr/share/applications/tarvel.desktop || fail "desktop entry categories"

echo "== installed program"
version=$(QT_QPA_PLATFORM=offscreen /usr/bin/tarvel --version)
echo "$version"
grep -q '^tarvel ' <<<"$version" || fail "tarvel --version: $version"

echo "== command line of the installed program: the shipped practice cheque imports"
cli_home=$(mktemp -d)
QT_QPA_PLATFORM=offscreen /usr/bin/tarvel --home "$cli_home" import-bill "/usr/share/tarvel/示例支票.BDF" --type 支票
QT_QPA_PLATFORM=offscreen /usr/bin/tarvel --home "$cli_home" bills | grep -q 示例转帐支票 || fail "sample not listed"

echo "== command line of the installed program: the practice cheque filled and written to a PDF"
printf '年\t月\t日\t金额\n2026\t12\t10\t1234.56\n' >"$cli_home/values.tsv"
QT_QPA_PLATFORM=offscreen /usr/bin/tarvel --home "$cli_home" print --bill 支票/示例转帐支票 \
  --values "$cli_home/values.tsv" --pdf "$cli_home/sample.pdf"
pdf_text=$(pdftotext -layout "$cli_home/sample.pdf" -)
echo "$pdf_text"
for t in 贰零贰陆 壹拾贰 '1,234.56' 壹仟贰佰叁拾肆元伍; do
  grep -qF "$t" <<<"$pdf_text" || fail "the printed sample lacks $t"
done
[ "$(pdfinfo "$cli_home/sample.pdf" | awk '/^Pages:/ {print $2}')" = 1 ] || fail "the sample PDF is not one page"
rm -rf "$cli_home"

echo "== first start of the installed program"
user_home=$(mktemp -d)
trap 'rm -rf "$user_home"' EXIT
folder="$user_home/.local/share/Tarvel智能票据打印"
(cd / && umask 022 && env -u XDG_DATA_HOME HOME="$user_home" QT_QPA_PLATFORM=offscreen \
   /usr/bin/tarvel --no-splash) &
pid=$!
for _ in $(seq 1 120); do
  [ -f "$folder/DataBase/支票软件.mdb" ] && [ -f "$folder/Tarvel智能票据打印.lock" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the installed program ended at start"
  sleep 0.5
done
sleep 1
kill "$pid" 2>/dev/null || fail "the installed program ended at start"
wait "$pid" 2>/dev/null || true
[ -f "$folder/DataBase/支票软件.mdb" ] || fail "no store in the user's data folder $folder"
open=$(find "$folder" \( -type d -perm /077 \) -o \( -type f -perm /077 \) -print)
[ -z "$open" ] || fail "readable by others: $open"
ls -laR "$folder"
echo "check-package: all checks passed"
