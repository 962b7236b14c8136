#!/bin/sh
# Sets everything up, builds the two programs (only what they need: tools/test.sh builds the tests too)
# and starts the window.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh lumidot lumidot-render
exec build/lumidot "$@"
