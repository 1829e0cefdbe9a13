#!/usr/bin/env bash
# zezizav-cli draws its pictures without the window: it holds no symbol of the
# window layer and needs no Qt Widgets library. The symbols it must hold
# (its picture's) show that the binary was read, not stripped.
# usage: check_cli_links.sh ZEZIZAV_CLI
set -uo pipefail
bin="$1"
symbols=$(nm -C "$bin") || { echo "cannot read the symbols of $bin" >&2; exit 2; }
needed=$(readelf -d "$bin") || { echo "cannot read the dynamic section of $bin" >&2; exit 2; }
fault=0
if ! grep -q 'PlotPicture(' <<<"$symbols"; then
  echo "$bin holds no PlotPicture: not the command line's binary, or stripped" >&2
  exit 2
fi
if grep -E 'chart1::|FormLayout::|GraphWidget::|PictureCommands::' <<<"$symbols" | head -5 | grep .; then
  echo "$bin holds the window's code" >&2
  fault=1
fi
if grep -E 'NEEDED.*libQt6Widgets' <<<"$needed"; then
  echo "$bin needs Qt Widgets" >&2
  fault=1
fi
if ! grep -qE 'NEEDED.*libQt6Gui' <<<"$needed"; then
  echo "$bin does not need QtGui: its pictures cannot be painted" >&2
  fault=1
fi
[ "$fault" -eq 0 ] && echo "zezizav-cli links no window code and no Qt Widgets."
exit "$fault"
