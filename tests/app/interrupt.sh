#!/bin/sh
# Starts the real game headless for the first time, so that it asks for the player's name,
# and sends it SIGINT there (Ctrl-C in the terminal). Started in the background of this
# script, the game inherits the signal ignored, as a game started by a launcher script
# does: it must still close through its close path (exit 0, the log closed).
#   interrupt.sh <game folder>
set -u
game=$1
work=$(mktemp -d)
pid=""
trap 'kill -KILL "$pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/run"
chmod 700 "$work/run"
cd "$game" || exit 1
env -u DISPLAY XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" SDL_VIDEODRIVER=offscreen \
    SDL_AUDIODRIVER=dummy PLATFORM_MSGBOX=stderr ./orblight 2>"$work/stderr" &
pid=$!
# The splash's loading picture leaves the device when the first screen comes: on a first
# run, the name box.
waited=0
until grep -qs "Texture  Loading  Destruction." "$work"/data/*/*/Objects.log; do
    if [ "$waited" -ge 1200 ] || ! kill -0 "$pid" 2>/dev/null; then
        echo "the name box never came"
        cat "$work/stderr"
        exit 1
    fi
    sleep 0.1
    waited=$((waited + 1))
done
sleep 1
kill -INT "$pid"
waited=0
while kill -0 "$pid" 2>/dev/null; do
    if [ "$waited" -ge 600 ]; then
        echo "SIGINT did not close the game at the name box"
        exit 1
    fi
    sleep 0.1
    waited=$((waited + 1))
done
wait "$pid"
code=$?
pid=""
echo "after SIGINT: exit $code"
[ "$code" -eq 0 ] || exit 1
tail -n 1 "$work"/data/*/*/Objects.log | grep -q "End of log" || { echo "the log was not closed"; exit 1; }
