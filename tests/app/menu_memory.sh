#!/bin/sh
# Starts the real game headless with private data and runtime folders, lets it reach the
# main menu and fails when its peak resident memory or its anonymous memory at the menu
# passes its bound (MiB). A guard against memory that grows without bound and against
# copies kept of what the driver or the disk already holds; bench/perf.sh gives the
# exact figures.
#   menu_memory.sh <game folder> <peak bound in MiB> [<anonymous bound in MiB>]
set -u
game=$1
bound=$2
anonBound=${3:-}
work=$(mktemp -d)
pid=""
trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/run"
chmod 700 "$work/run"
cd "$game" || exit 1
env -u DISPLAY XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" SDL_VIDEODRIVER=offscreen \
    SDL_AUDIODRIVER=dummy PLATFORM_MSGBOX=stderr ./orblight 2>"$work/stderr" &
pid=$!
# The menu is up once start-up has released its loading screen; then a few frames more.
waited=0
until grep -qs "Texture  Loading  Destruction." "$work"/data/*/*/Objects.log; do
    if ! kill -0 "$pid" 2>/dev/null || [ "$waited" -ge 1200 ]; then
        echo "the game did not reach the main menu"
        cat "$work/stderr"
        exit 1
    fi
    sleep 0.1
    waited=$((waited + 1))
done
sleep 2
mib() { awk -v k="$1:" '$1 == k { print int($2 / 1024) }' "/proc/$pid/status"; }
peak=$(mib VmHWM)
anon=$(mib RssAnon)
echo "peak resident memory at the main menu: $peak MiB (bound $bound MiB)"
echo "anonymous memory at the main menu: $anon MiB${anonBound:+ (bound $anonBound MiB)}"
[ "$peak" -le "$bound" ] && { [ -z "$anonBound" ] || [ "$anon" -le "$anonBound" ]; }
