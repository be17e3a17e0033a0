#!/bin/sh
# `make run`: a live dashboard without hardware. Starts the device simulator sending to
# 127.0.0.1:15005 from port 15006, opens the bundled demo project connected to it, and
# stops the simulator when the window closes.
set -eu
BUILD=${1:-build}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
CLI="$BUILD/tessaro-cli"
APP="$BUILD/tessaro"

if [ ! -x "$APP" ]; then
  echo "run: $APP was not built" >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run: no desktop found (DISPLAY is not set); start Tessaro from a desktop session," >&2
  echo "     or try it headless: QT_QPA_PLATFORM=offscreen make run" >&2
  exit 1
fi

SIM_PID=""
if "$CLI" --help 2>/dev/null | grep -q simulate; then
  "$CLI" simulate --udp 127.0.0.1:15005 --from 15006 --rate 20 --channels 1-4 &
  SIM_PID=$!
  trap 'kill "$SIM_PID" 2>/dev/null || true' EXIT INT TERM
  echo "run: simulator started (pid $SIM_PID): channels 1-4 at 20 Hz to 127.0.0.1:15005"
fi

"$APP" "$ROOT/examples/demo.tess" -connect
