#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zezizav on the built-in
# simulated analyser (a resonant antenna near 14.2 MHz).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

ensure_packages "${PACKAGES[@]}"
BUILD="$ROOT/build"
build "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -- zezizav zezizav-sim zezizav-cli
BIN="$BUILD/bin"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
The program is built, but there is no display to show its window on.
Run it under a virtual X server instead:

  xvfb-run -a -s "-screen 0 1024x768x24" scripts/run.sh

(then look at it with: xwd -root | convert xwd:- screen.png, or use x11vnc).
MSG
  exit 1
fi

# The program reads vezizo.ini beside itself. A first run gets the example
# settings pointed at the simulator; an existing file is left as it is.
LINK="${XDG_RUNTIME_DIR:-/tmp}/zezizav-sim"
if [ ! -f "$BIN/vezizo.ini" ]; then
  sed "s|^device=.*|device=$LINK|" "$ROOT/examples/vezizo.ini" > "$BIN/vezizo.ini"
  echo "Wrote $BIN/vezizo.ini (device=$LINK)"
fi

SIM_PID=""
if [ -x "$BIN/zezizav-sim" ]; then
  "$BIN/zezizav-sim" --dut antenna --pace --link "$LINK" -v 2> "$BUILD/zezizav-sim.log" > /dev/null &
  SIM_PID=$!
  trap '[ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null || true' EXIT
  echo "Simulator on $LINK (log: $BUILD/zezizav-sim.log). Press RUN (or F5) to sweep."
fi

"$BIN/zezizav"
