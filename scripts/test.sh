#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and with the
# address and undefined-behaviour sanitizers, runs every test headless, then
# gives each fuzzer a short run as a regression check. One sanitized build
# serves every test: a second, plain build doubled the run's time and found
# nothing the sanitized one does not.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

ensure_packages "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
export QT_QPA_PLATFORM=offscreen
# Numbers must read and print the same under a decimal-comma locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  localedef -i de_DE -c -f UTF-8 de_DE.UTF-8 2>/dev/null || echo "(no de_DE locale: its test skips)"
fi
jobs="$(nproc)"
# Every test makes its folders under a new, empty TMPDIR of this run's own, so
# a test that relies on a folder one machine happens to have fails here too.
# Open to all like /tmp, since a test runs our tools as another user.
TEST_TMPDIR="$(mktemp -d "${TMPDIR:-/tmp}/zezizav-tests.XXXXXX")"
chmod 1777 "$TEST_TMPDIR"
trap 'rm -rf "$TEST_TMPDIR"' EXIT

echo "== Build and test under the sanitizers"
BUILD="$ROOT/build-asan"
build "$BUILD" -DCMAKE_BUILD_TYPE=Debug -DZEZIZAV_WERROR=ON -DZEZIZAV_SANITIZE=ON
# Leaks inside the system's Qt and font libraries are theirs, not ours.
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
TMPDIR="$TEST_TMPDIR" ctest --test-dir "$BUILD" --output-on-failure -j "$jobs"

if [ -x "$ROOT/fuzz/run.sh" ]; then
  echo "== Fuzz regressions"
  bash "$ROOT/fuzz/run.sh" "${FUZZ_SECONDS:-10}"
fi
