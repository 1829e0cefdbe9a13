#!/usr/bin/env bash
# `cmake --install` into a scratch prefix: every file in its place and
# nothing else, the desktop entry and the AppStream data valid (where the
# validators are installed), and the installed programs run from there.
# usage: check_install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
BUILD="$1"
SOURCE="$2"
ID=org.zezizav.zezizav
PREFIX="$(mktemp -d)"
trap 'rm -rf "$PREFIX"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$BUILD" --prefix "$PREFIX" > /dev/null

expected="bin/zezizav
bin/zezizav-cli
bin/zezizav-sim
share/applications/$ID.desktop
share/icons/hicolor/scalable/apps/$ID.svg
share/metainfo/$ID.metainfo.xml
share/zezizav/vezizo.ini"
installed="$(cd "$PREFIX" && find . -type f | sed 's|^\./||' | sort)"
[ "$installed" = "$expected" ] || fail "installed files differ:
$installed"
for p in zezizav zezizav-cli zezizav-sim; do
  [ -x "$PREFIX/bin/$p" ] || fail "bin/$p is not executable"
done
cmp -s "$PREFIX/share/zezizav/vezizo.ini" "$SOURCE/examples/vezizo.ini" \
  || fail "share/zezizav/vezizo.ini is not the example settings"
grep -qx "Exec=zezizav" "$PREFIX/share/applications/$ID.desktop" || fail "Exec is not zezizav"
grep -qx "Icon=$ID" "$PREFIX/share/applications/$ID.desktop" || fail "Icon is not $ID"

if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$PREFIX/share/applications/$ID.desktop" || fail "desktop-file-validate"
else
  echo "desktop-file-validate is not installed: not run"
fi
if command -v appstreamcli > /dev/null; then
  appstreamcli validate --no-net "$PREFIX/share/metainfo/$ID.metainfo.xml" \
    || fail "appstreamcli validate"
else
  echo "appstreamcli is not installed: not run"
fi

# Installed, the tool finds no settings beside itself and reads the user's.
mkdir -p "$PREFIX/config/zezizav"
printf '[PARAMETERS]\nStep=0\n' > "$PREFIX/config/zezizav/vezizo.ini"
"$PREFIX/bin/zezizav-cli" --help > /dev/null || fail "the installed zezizav-cli does not run"
set +e
said="$(XDG_CONFIG_HOME="$PREFIX/config" "$PREFIX/bin/zezizav-cli" readout none.vec 2>&1)"
code=$?
set -e
[ "$code" -eq 2 ] && [[ "$said" == *"$PREFIX/config/zezizav/vezizo.ini: Step=0 is out of range"* ]] \
  || fail "the installed zezizav-cli did not read the XDG settings ($code): $said"
echo "installed tree: all checks passed"
