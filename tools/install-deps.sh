#!/bin/sh
# Installs the Debian 12 packages that building, running and testing Lumidot need. The dot fonts are the
# program's; for the tests, unifont (its .hex glyphs), pcf2bdf and python3-fonttools read the fonts' truth,
# librsvg2-bin draws the SVG icon with another renderer and fontconfig's fc-list says what it knows.
set -eu
packages="g++ cmake ninja-build pkg-config qt6-base-dev qt6-translations-l10n libfontconfig-dev libjpeg-dev libdeflate-dev zlib1g-dev libgif-dev libwebp-dev fonts-ipafont-gothic fonts-misaki fonts-unifont fonts-dotgothic16 xfonts-efont-unicode xfonts-shinonome unifont pcf2bdf python3-fonttools librsvg2-bin fontconfig gcc-avr avr-libc"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0
as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"
$as_root apt-get update
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends $missing
