#!/bin/sh
# Installs the Debian 12 packages that building, running and testing Lumidot need (librsvg2-bin: the
# tests draw the SVG icon with another renderer).
set -eu
packages="g++ cmake ninja-build pkg-config qt6-base-dev qt6-translations-l10n libfontconfig-dev libjpeg-dev libdeflate-dev libgif-dev libwebp-dev fonts-ipafont-gothic librsvg2-bin fontconfig"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0
as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"
$as_root apt-get update
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends $missing
