#!/usr/bin/env bash
# installed_program.sh CMAKE BUILD SCREEN VERSION BINDIR LIBDIR PROGRAM_DATADIR DATADIR MANDIR
# Installs the built program into a temporary prefix and checks what a packaged program needs:
# every file in its place, a valid desktop entry and AppStream description, and a program that,
# started from the installed tree, reads the installed tip file.
set -euo pipefail

cmake=$1 build=$2 screen=$3 version=$4 bindir=$5 libdir=$6 programdata=$7 datadir=$8 mandir=$9

for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is missing (Debian packages desktop-file-utils and appstream)"
    exit 77
  fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/usr
failed=0
fail() { echo "FAIL: $*"; failed=1; }

"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; exit 1; }

# The tree.
[ -x "$prefix/$bindir/point-of-sale" ] || fail "no executable $bindir/point-of-sale"
[ -f "$prefix/$libdir/point-of-sale-charts.so" ] || fail "no chart module in $libdir"
for file in TIPOFDAY.TXT Sistema.chm; do
  [ -s "$prefix/$programdata/$file" ] || fail "no $file in $programdata"
done
[ -s "$prefix/$mandir/man1/point-of-sale.1.gz" ] || fail "no manual page"
[ ! -e "$prefix/$bindir/TIPOFDAY.TXT" ] || fail "the tip file is beside the executable, not in $programdata"
desktop=$prefix/$datadir/applications/point-of-sale.desktop
metainfo=$(ls "$prefix/$datadir"/metainfo/*.metainfo.xml 2>/dev/null || true)
[ -f "$desktop" ] || fail "no desktop entry"
[ -n "$metainfo" ] || fail "no AppStream metainfo"
for size in 16 22 24 32 48 64 128 256; do
  icon=$prefix/$datadir/icons/hicolor/${size}x${size}/apps/point-of-sale.png
  if [ ! -f "$icon" ]; then
    fail "no ${size}x${size} icon"
    continue
  fi
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$icon")
  width=$(( (w0 << 24) | (w1 << 16) | (w2 << 8) | w3 )) height=$(( (h0 << 24) | (h1 << 16) | (h2 << 8) | h3 ))
  [ "$width" -eq "$size" ] && [ "$height" -eq "$size" ] || fail "the ${size}x${size} icon is ${width}x${height}"
done

# The desktop's own checks.
[ -f "$desktop" ] && { desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"; }
grep -qx 'Name=Point of Sale' "$desktop" || fail "the menu entry is not named Point of Sale"
grep -qx 'Exec=point-of-sale' "$desktop" || fail "the menu entry does not start point-of-sale"
[ -n "$metainfo" ] && { appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"; }

# The installed program: its version, then a start that ends once the tip of the day is shown.
export LC_ALL=C.UTF-8 XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data XDG_CACHE_HOME=$tmp/cache
said=$("$prefix/$bindir/point-of-sale" --version) || fail "--version ended with $?"
[ "$said" = "$version" ] || fail "--version said '$said', not '$version'"

status=0
QT_QPA_PLATFORM="offscreen:configfile=$screen" POS_DRIVE_ROOT=$tmp/root POS_QUIT_WHEN_SHOWN=frmTip \
  QT_LOGGING_RULES='pos.tips.debug=true' timeout 60 "$prefix/$bindir/point-of-sale" \
  >"$tmp/out" 2>"$tmp/err" || status=$?
[ "$status" -eq 0 ] || fail "the installed program ended with $status"
grep -q '^shown ' "$tmp/out" || fail "the tip of the day was never shown"
grep -q 'no tip file at' "$tmp/err" && fail "the installed program found no tip file"
grep -qF "tips read from $prefix/$programdata/TIPOFDAY.TXT" "$tmp/err" \
  || fail "the tips were not read from the installed tip file"
tip=$(sed -n 's/^pos\.tips: tip shown: //p' "$tmp/err" | head -n 1)
if [ -z "$tip" ]; then
  fail "no tip was shown"
elif ! tr -d '\r' <"$prefix/$programdata/TIPOFDAY.TXT" | grep -qxF -- "$tip"; then
  fail "the tip shown is not a line of the installed tip file: $tip"
fi

if [ "$failed" -ne 0 ]; then
  echo "--- standard output"; cat "$tmp/out"
  echo "--- standard error"; cat "$tmp/err"
  exit 1
fi
echo "installed program: tree, desktop entry, metainfo, version and tip of the day all right"
