#!/bin/sh
# Starts the real game on a private X server and, once the main menu is up, ends the X
# server under it: the game must end without a crash or a sanitizer report, write no file
# into its working folder, and leave the player's files as a close through SIGTERM leaves
# them. Skipped (77) where Xvfb is not installed.
#   display_lost.sh <game folder>
set -u
game=$(cd "$1" && pwd)
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed"; exit 77; }
work=$(mktemp -d)
pid=""
xpid=""
trap 'kill "$pid" "$xpid" 2>/dev/null; rm -rf "$work"' EXIT

# The game runs in a folder of links to the game folder's entries, so that a file it
# writes where it stands shows up there.
mkdir -p "$work/game"
for entry in "$game"/*; do ln -s "$entry" "$work/game/"; done
ls -A "$work/game" >"$work/before"

# Waits (up to two minutes) for a line in the log below $1.
await() {
    waited=0
    until grep -qs "$2" "$1"/*/*/Objects.log; do
        if [ "$waited" -ge 1200 ]; then
            echo "the log never said: $2"
            exit 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
}

# One run: $1 names it, $2 ends it ("display" or "close"); returns the game's exit code.
run() {
    mkdir -p "$work/$1/data" "$work/$1/run"
    chmod 700 "$work/$1/run"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/$1/display" 2>/dev/null &
    xpid=$!
    waited=0
    until [ -s "$work/$1/display" ]; do
        [ "$waited" -ge 300 ] && { echo "Xvfb did not start"; exit 1; }
        sleep 0.1
        waited=$((waited + 1))
    done
    display=:$(cat "$work/$1/display")
    (cd "$work/game" && exec env DISPLAY="$display" XDG_DATA_HOME="$work/$1/data" XDG_RUNTIME_DIR="$work/$1/run" \
        SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy PLATFORM_MSGBOX=stderr ./orblight 2>"$work/$1/stderr") &
    pid=$!
    await "$work/$1/data" "Texture  Loading  Destruction."
    sleep 1
    if [ "$2" = display ]; then
        kill -TERM "$xpid"
    else
        kill -TERM "$pid"
    fi
    wait "$pid"
    code=$?
    pid=""
    kill -TERM "$xpid" 2>/dev/null
    wait "$xpid" 2>/dev/null
    xpid=""
    echo "$1: exit $code"
    return "$code"
}

run closed close || { echo "a close through SIGTERM failed"; exit 1; }
run lost display
code=$?
cat "$work/lost/stderr"
fail=0
[ "$code" -lt 128 ] || { echo "the game died of signal $((code - 128))"; fail=1; }
if grep -q "Sanitizer\|runtime error" "$work/lost/stderr"; then
    echo "a sanitizer report"
    fail=1
fi
ls -A "$work/game" >"$work/after"
if ! cmp -s "$work/before" "$work/after"; then
    echo "stray files in the working folder:"
    diff "$work/before" "$work/after"
    fail=1
fi
(cd "$work/closed/data" && find . -type f ! -name Objects.log | sort) >"$work/closed.files"
(cd "$work/lost/data" && find . -type f ! -name Objects.log | sort) >"$work/lost.files"
if ! cmp -s "$work/closed.files" "$work/lost.files"; then
    echo "the player's files differ from those of a close:"
    diff "$work/closed.files" "$work/lost.files"
    fail=1
fi
tail -n 2 "$work"/lost/data/*/*/Objects.log
exit "$fail"
