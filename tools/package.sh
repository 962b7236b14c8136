#!/bin/sh
# Sets everything up, builds the Debian package into build-deb/ and checks it with lintian and the
# AppStream validator; any error there fails the run.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"
missing=""
for package in dpkg-dev appstream lintian; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
if [ -n "$missing" ]; then
    $as_root apt-get update
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends $missing
fi
appstreamcli validate --no-net packaging/io.github.lumidot.Lumidot.metainfo.xml
# Debian's hardening flags (stack protector, fortified functions, read-only relocations), as a
# package built by Debian's own tools gets them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DLUMIDOT_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build build-deb
(cd build-deb && cpack -G DEB)
# Errors fail the run; warnings are shown. --allow-root: this script may well run as root.
lintian --allow-root --fail-on error build-deb/lumidot_*.deb
ls build-deb/*.deb
