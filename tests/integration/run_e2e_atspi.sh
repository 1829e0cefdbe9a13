#!/usr/bin/env bash
# Drives the real program through the accessibility bus, as a screen reader
# would, on a private X server and private D-Bus session.
# usage: run_e2e_atspi.sh BIN_DIR
# Everything started here (Xvfb, the session bus, the accessibility bus and
# whatever those spawn) is ended on the way out, whatever happens.
set -u

BIN_DIR="${1:?usage: run_e2e_atspi.sh BIN_DIR}"
BIN_DIR="$(cd "$BIN_DIR" && pwd)"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# The distribution's interpreter: python3-pyatspi installs only for it, and a
# python3 earlier on PATH (pyenv, a venv) would not see it.
PYTHON=/usr/bin/python3
LAUNCHER=/usr/libexec/at-spi-bus-launcher
TEST_SECONDS=90

for need in "$BIN_DIR/zezizav" "$BIN_DIR/zezizav-sim" /usr/bin/Xvfb /usr/bin/dbus-daemon "$LAUNCHER"; do
  if [ ! -x "$need" ]; then
    echo "run_e2e_atspi: missing $need" >&2
    exit 1
  fi
done
if ! "$PYTHON" -c 'import pyatspi' 2>/dev/null; then
  echo "run_e2e_atspi: $PYTHON cannot import pyatspi (install python3-pyatspi)" >&2
  exit 1
fi

WORK="$(mktemp -d "${TMPDIR:-/tmp}/zezizav-e2e.XXXXXX")"
STARTED=()
# Every process of this run inherits this mark, even those a bus daemon
# starts and hands over to init (the accessibility registry), so cleanup can
# find them all by it.
export ZEZIZAV_E2E_WORK="$WORK"
MARK="ZEZIZAV_E2E_WORK=$WORK"
# A caller's accessibility bus would win over the one found through our session bus.
unset AT_SPI_BUS_ADDRESS

# Children first, so nothing is left to be re-parented to init.
descendants() {
  local child
  for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
    descendants "$child"
    echo "$child"
  done
}

# Processes other than this shell that carry the mark (read without forking,
# so the scan does not find its own helpers).
marked() {
  local entry pid kv
  for entry in /proc/[0-9]*; do
    pid="${entry#/proc/}"
    [ "$pid" = "$$" ] || [ "$pid" = "$BASHPID" ] && continue
    while IFS= read -r -d '' kv; do
      if [ "$kv" = "$MARK" ]; then
        echo "$pid"
        break
      fi
    done 2>/dev/null <"$entry/environ"
  done
}

cleanup() {
  local pid all=()
  for pid in "${STARTED[@]}"; do
    all+=($(descendants "$pid") "$pid")
  done
  all+=($(marked))
  if [ ${#all[@]} -gt 0 ]; then
    kill -TERM "${all[@]}" 2>/dev/null
    for _ in $(seq 1 20); do
      kill -0 "${all[@]}" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "${all[@]}" 2>/dev/null
  fi
  for pid in "${STARTED[@]}"; do
    wait "$pid" 2>/dev/null
  done
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Waits up to $2 tenths of a second for file $1 to hold something.
wait_for_file() {
  local i
  for i in $(seq 1 "$2"); do
    [ -s "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# The X server picks a free display and writes its number to fd 3. It must
# not reset when its last client leaves (the bus launcher, then each copy of
# the program), or the next one to connect is refused.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
STARTED+=($!)
if ! wait_for_file "$WORK/display" 100; then
  echo "run_e2e_atspi: Xvfb did not start" >&2
  cat "$WORK/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$WORK/display")"

# A session bus of our own, so nothing of the caller's desktop is touched.
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$WORK/bus" 2>"$WORK/dbus.log" &
STARTED+=($!)
if ! wait_for_file "$WORK/bus" 100; then
  echo "run_e2e_atspi: dbus-daemon did not start" >&2
  exit 1
fi
export DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$WORK/bus")"

# The accessibility bus, started here rather than by activation so that it is
# one of ours to end; it launches its own bus daemon and the registry.
"$LAUNCHER" --launch-immediately --a11y=1 >"$WORK/launcher.log" 2>&1 &
STARTED+=($!)

export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
export QT_ACCESSIBILITY=1
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export ZEZIZAV_MESSAGE_TIMEOUT_MS=500
export ZEZIZAV_BIN_DIR="$BIN_DIR"

# In the background so that a signal to this script is acted on at once;
# timeout ends the test's own children (the program, the simulator) with it.
timeout -k 5 "$TEST_SECONDS" "$PYTHON" "$HERE/e2e_atspi.py" &
STARTED+=($!)
wait $!
status=$?
if [ $status -eq 124 ] || [ $status -eq 137 ]; then
  echo "run_e2e_atspi: the test did not finish within $TEST_SECONDS s" >&2
fi
exit $status
