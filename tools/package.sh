#!/bin/sh
# Sets everything up and builds the Debian package into build-deb/.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"
dpkg-query -W -f='${Status}' dpkg-dev 2>/dev/null | grep -q "install ok installed" ||
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends dpkg-dev
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DLUMIDOT_BUILD_TESTS=OFF
cmake --build build-deb
(cd build-deb && cpack -G DEB)
ls build-deb/*.deb
