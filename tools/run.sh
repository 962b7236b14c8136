#!/bin/sh
# Sets everything up, builds and starts Lumidot.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
exec build/lumidot
