#!/usr/bin/env bash
# Builds the Debian package build-package/zezizav_<version>_<arch>.deb: the
# three programs, the menu entry, the icon, the AppStream data and the
# example settings. Its Depends come from the Qt libraries the programs link.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

ensure_packages "${PACKAGES[@]}" dpkg-dev file
BUILD="$ROOT/build-package"
# The tests are not packed, so installing needs only the three programs.
build "$BUILD" -DCMAKE_BUILD_TYPE=Release -DZEZIZAV_BENCH=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -- zezizav zezizav-cli zezizav-sim
(cd "$BUILD" && cpack -G DEB)
ls "$BUILD"/zezizav_*.deb
