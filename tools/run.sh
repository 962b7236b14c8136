#!/bin/sh
# Sets everything up, builds the program (only what it needs: tools/test.sh builds the rest) and starts it.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh lumidot
exec build/lumidot "$@"
