#!/bin/sh
# Starts the real game headless with private data and runtime folders and, once it shows
# the main menu, starts a second copy: the copy must say on standard error that the game
# already runs and end with 0, and the running game must hear its request for the window.
# Then SIGTERM must end the running game through its close path (exit 0, the log closed).
#   second_copy.sh <game folder>
set -u
game=$1
work=$(mktemp -d)
pid=""
trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/run"
chmod 700 "$work/run"
cd "$game" || exit 1
start() {
    exec env -u DISPLAY XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" SDL_VIDEODRIVER=offscreen \
        SDL_AUDIODRIVER=dummy PLATFORM_MSGBOX=stderr ./orblight 2>"$1"
}
# Waits (up to two minutes) for a line in the running game's log.
await() {
    waited=0
    until grep -qs "$1" "$work"/data/*/*/Objects.log; do
        if [ "$waited" -ge 1200 ]; then
            echo "the log never said: $1"
            cat "$work/stderr"
            exit 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
}

start "$work/stderr" &
pid=$!
await "Texture  Loading  Destruction."

(start "$work/second") >/dev/null
code=$?
echo "second copy: exit $code, said: $(cat "$work/second")"
[ "$code" -eq 0 ] || exit 1
grep -q "already running" "$work/second" || exit 1
await "Another copy asked for the window"

kill -TERM "$pid"
wait "$pid"
code=$?
pid=""
echo "first copy after SIGTERM: exit $code"
[ "$code" -eq 0 ] || exit 1
tail -n 1 "$work"/data/*/*/Objects.log | grep -q "End of log" || { echo "the log was not closed"; exit 1; }
