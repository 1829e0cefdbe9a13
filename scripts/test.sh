#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every
# test headless.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

ensure_packages "${PACKAGES[@]}"
BUILD="$ROOT/build-test"
build "$BUILD" -DCMAKE_BUILD_TYPE=Debug -DZEZIZAV_WERROR=ON

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)"
