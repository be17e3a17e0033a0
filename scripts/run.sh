#!/bin/sh
# `make run`: starts Tessaro's main job from the build directory given as $1.
set -eu
BUILD=${1:-build}
[ $# -gt 0 ] && shift
if [ -x "$BUILD/tessaro" ]; then
  exec "$BUILD/tessaro" "$@"
fi
echo "Built in $BUILD/:"
echo "  libtessaro_engine.a   the engine: command router, value buffers, conversions, timers"
echo "  tessaro-cli           the command-line companion ($BUILD/tessaro-cli --help)"
echo "  tests, fuzz replays and benchmarks (make test, make bench)"
echo "The desktop program is not part of this build yet."
