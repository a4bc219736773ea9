#!/usr/bin/env bash
# Builds the game and starts it from its assembled game folder.
set -eu
cd "$(dirname "$0")"
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target orblight
cd build/game
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting under Xvfb."
  export PLATFORM_MSGBOX=stderr
  exec xvfb-run -a -s "-screen 0 1024x768x24" ./orblight
fi
exec ./orblight
