#!/usr/bin/env bash
# Builds the Debian package build/loto6kermon_VERSION_ARCH.deb, with the
# dependencies dpkg-shlibdeps finds. Install it with
#   sudo apt install ./build/loto6kermon_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
(cd build && cpack -G DEB)
ls build/*.deb
