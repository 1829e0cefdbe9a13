#!/usr/bin/env bash
# Builds the fuzzing harnesses with clang (if needed) and runs each one for a
# while on a copy of its seed corpus, so the committed corpus never grows.
# Any crash, leak, timeout, sanitizer report or broken invariant fails the run.
#
# usage: fuzz/run.sh [SECONDS] [HARNESS...]
#   SECONDS  per harness (default 10)
#   HARNESS  e.g. settings or fuzz_settings (default: every harness built)
# environment:
#   FUZZ_BUILD_DIR   build folder (default build-fuzz in the repository)
#   FUZZ_SOURCE_DIR  source tree to configure (default the repository)
#   FUZZ_KEEP=1      keep the working folders (grown corpus, logs)
set -uo pipefail

FUZZ_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=SCRIPTDIR/../scripts/lib.sh
source "$FUZZ_DIR/../scripts/lib.sh"
set +e  # a failing harness must not stop the others

SECONDS_EACH="${1:-10}"
shift || true
if ! [[ "$SECONDS_EACH" =~ ^[0-9]+$ ]] || [ "$SECONDS_EACH" -lt 1 ]; then
  echo "usage: fuzz/run.sh [SECONDS] [HARNESS...]" >&2
  exit 2
fi
BUILD="${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
SOURCE="${FUZZ_SOURCE_DIR:-$ROOT}"

ensure_packages clang libclang-rt-14-dev cmake ninja-build qt6-base-dev || exit 1

if [ -f "$BUILD/CMakeCache.txt" ]; then
  configured="$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$BUILD/CMakeCache.txt")"
  if [ "$(realpath "$configured")" != "$(realpath "$SOURCE")" ]; then
    echo "fuzz/run.sh: $BUILD was configured for $configured, not $SOURCE; remove it" >&2
    exit 1
  fi
fi
if [ ! -f "$BUILD/build.ninja" ]; then
  # -O1 with line tables: fast enough to fuzz, readable stacks, asserts kept.
  cmake -S "$SOURCE" -B "$BUILD" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" \
    -DZEZIZAV_FUZZ=ON -DZEZIZAV_BENCH=OFF || exit 1
fi
if [ ! -f "$BUILD/fuzz/harnesses.txt" ]; then
  echo "fuzz/run.sh: $BUILD has no harnesses: the top-level CMakeLists.txt must add" >&2
  echo "  the ZEZIZAV_FUZZ option (see fuzz/README.md)" >&2
  exit 1
fi
cmake --build "$BUILD" --target fuzz_all || exit 1

mapfile -t BUILT < "$BUILD/fuzz/harnesses.txt"
WANTED=()
if [ $# -eq 0 ]; then
  WANTED=("${BUILT[@]}")
else
  for h in "$@"; do WANTED+=("${h#fuzz_}"); done
fi

# Leaks are findings; a sanitizer report stops the harness at once.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

WORK="$(mktemp -d "${TMPDIR:-/tmp}/zezizav-fuzz.XXXXXX")"
cleanup() { if [ "${FUZZ_KEEP:-0}" = 1 ]; then echo "kept $WORK"; else rm -rf "$WORK"; fi; }
trap cleanup EXIT

passed=0
failed=0
for name in "${WANTED[@]}"; do
  harness="fuzz_$name"
  bin="$BUILD/bin/$harness"
  if [ ! -x "$bin" ]; then
    echo "$harness: FAIL (not built; built here: ${BUILT[*]})"
    failed=$((failed + 1))
    continue
  fi
  dir="$WORK/$name"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  if [ -d "$FUZZ_DIR/corpus/$name" ]; then
    cp -R "$FUZZ_DIR/corpus/$name/." "$dir/corpus/"
  fi
  options=(-max_total_time="$SECONDS_EACH" -timeout=5 -rss_limit_mb=2048 -max_len=8192
           -print_final_stats=1 -artifact_prefix="$dir/artifacts/")
  if [ -f "$FUZZ_DIR/dict/$name.dict" ]; then
    options+=(-dict="$FUZZ_DIR/dict/$name.dict")
  fi

  ok=1
  # Inputs that once failed are replayed first; they must stay fixed.
  if [ -d "$FUZZ_DIR/regressions/$name" ] && [ -n "$(ls -A "$FUZZ_DIR/regressions/$name")" ]; then
    if ! "$bin" -timeout=5 -rss_limit_mb=2048 "$FUZZ_DIR/regressions/$name"/* \
        > "$dir/regressions.log" 2>&1; then
      ok=0
      echo "$harness: a kept reproducer still fails:"
      grep -E "^Running:|runtime error:|ERROR:|SUMMARY:|FUZZ_CHECK|^  \(" "$dir/regressions.log" | head -n 20
    fi
  fi

  "$bin" "${options[@]}" "$dir/corpus" > "$dir/fuzz.log" 2>&1
  status=$?
  # Belt and braces: a report that did not end the run still fails it.
  if [ $status -ne 0 ] || grep -qE "runtime error:|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|FUZZ_CHECK failed" "$dir/fuzz.log"; then
    ok=0
    echo "$harness: fuzzing ended with status $status:"
    grep -E "runtime error:|ERROR:|SUMMARY:|FUZZ_CHECK|Test unit written|^  \(" "$dir/fuzz.log" | head -n 20
    for artifact in "$dir/artifacts"/*; do
      [ -f "$artifact" ] || continue
      keep="$BUILD/fuzz-artifacts/$name"
      mkdir -p "$keep"
      cp "$artifact" "$keep/"
      echo "  reproducer: $keep/$(basename "$artifact") ($(stat -c %s "$artifact") bytes)"
      head -c 256 "$artifact" | od -An -tx1 | head -n 4
    done
  fi

  # Figures of the run: executions, speed, coverage, corpus.
  execs=$(grep -o "stat::number_of_executed_units: *[0-9]*" "$dir/fuzz.log" | grep -o "[0-9]*$")
  speed=$(grep -o "stat::average_exec_per_sec: *[0-9]*" "$dir/fuzz.log" | grep -o "[0-9]*$")
  last=$(grep -E "^#[0-9]+" "$dir/fuzz.log" | tail -n 1)
  cov=$(grep -o "cov: [0-9]*" <<< "$last" | grep -o "[0-9]*$")
  ft=$(grep -o "ft: [0-9]*" <<< "$last" | grep -o "[0-9]*$")
  corp=$(grep -o "corp: [0-9]*/[0-9]*[a-zA-Z]*" <<< "$last" | cut -d' ' -f2)
  figures="execs=${execs:-?} exec/s=${speed:-?} cov=${cov:-?} ft=${ft:-?} corpus=${corp:-?}"
  if [ $ok -eq 1 ]; then
    echo "$harness: PASS ${SECONDS_EACH}s $figures"
    passed=$((passed + 1))
  else
    echo "$harness: FAIL ${SECONDS_EACH}s $figures (log: $dir/fuzz.log)"
    failed=$((failed + 1))
    FUZZ_KEEP=1
  fi
done

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
