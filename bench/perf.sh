#!/bin/sh
# Starts the real game with a private data and runtime folder and prints one table:
# first visible frame, main menu ready, memory at the menu, CPU and frames a second at
# the menu, what went to textures (a texture read from a file goes to the driver when
# first drawn), the draw calls and the pixels drawn per frame; on x11, the same in a
# level of each location: the museum's first level reached by synthetic clicks
# (xdotool) through the name box, the main menu's Quest and the story's three pages, the
# other locations' first levels by moving the player's quest save on to them
# (perf_questsave, built beside the benchmarks) and continuing the quest.
#   bench/perf.sh [build/game] [x11|offscreen]
# x11 (the default) runs under xvfb-run; offscreen uses the headless video driver.
# PERF_WINDOW sets the seconds each screen is measured (10); PERF_TRACE=1 prints the
# draw trace of one frame of each screen measured; PERF_QUESTSAVE names the helper.
set -eu
game=$(cd "${1:-build/game}" && pwd)
route=${2:-x11}
settle=${PERF_SETTLE:-4}
window=${PERF_WINDOW:-10}
here=$(cd "$(dirname "$0")" && pwd)
questsave=${PERF_QUESTSAVE:-$game/../bench/perf_questsave}
[ -x "$questsave" ] || questsave=$here/../build/bench/perf_questsave
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/run"
chmod 700 "$work/run"

if [ "$route" = x11 ] && [ -z "${PERF_INNER:-}" ]; then
    PERF_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$game" x11
fi

now_ms() { date +%s%3N; }
field() { awk -v k="$1:" '$1 == k { print int($2 / 1024) }' "/proc/$pid/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
log="$work/data/Kestrelmoor/TheOrblightOfQuillacor_RU_DZR/Objects.log"
player="$work/data/Kestrelmoor/TheOrblightOfQuillacor_RU_DZR/Players/Player"

# Starts the game and waits for the main menu (start-up has released its loading screen).
start_game() {
    rm -f "$log"
    cd "$game"
    start=$(now_ms)
    if [ "$route" = offscreen ]; then export SDL_VIDEODRIVER=offscreen; unset DISPLAY; fi
    XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=dummy PLATFORM_MSGBOX=stderr \
        PLATFORM_STATS=1 ./orblight 2>"$work/stderr" &
    pid=$!
    menu=""
    while kill -0 "$pid" 2>/dev/null && [ -z "$menu" ]; do
        if grep -qs "Texture  Loading  Destruction." "$log"; then menu=$(( $(now_ms) - start )); fi
        sleep 0.02
    done
    [ -n "$menu" ] || { echo "the game ended before the menu"; cat "$work/stderr"; exit 1; }
    win=""
    if [ "$route" = x11 ] && command -v xdotool >/dev/null; then
        win=$(xdotool search --pid "$pid" 2>/dev/null | tail -1)
    fi
}

stop_game() { kill "$pid"; wait "$pid" 2>/dev/null || true; }

click() { xdotool mousemove --window "$win" "$1" "$2" sleep 0.2 click 1; sleep "$3"; }

# Measures the screen on show over the window: sets cpu (% of a core), fps, draws and
# pixels (screens a frame); with PERF_TRACE set, prints one frame's draw trace first.
measure() {
    xdotool mousemove --window "$win" 2 2 2>/dev/null || true
    if [ -n "${PERF_TRACE:-}" ]; then
        n=$(grep -c "Draw trace" "$work/stderr" || true)
        kill -USR1 "$pid"; sleep 1
        echo "== draw trace: $1"
        grep "Draw trace" "$work/stderr" | tail -n +"$((n + 1))"
    fi
    t0=$(cpu_ticks); w0=$(now_ms); f0=$(grep -c "fps" "$work/stderr" || true)
    sleep "$window"
    t1=$(cpu_ticks); w1=$(now_ms)
    cpu=$(( (t1 - t0) * 1000 * 100 / hz / (w1 - w0) ))
    lines=$(grep "fps" "$work/stderr" | tail -n +"$((f0 + 1))" | head -"$window")
    fps=$(echo "$lines" | awk '{ s += $5; n++ } END { if (n) printf "%.1f", s / n }')
    draws=$(echo "$lines" | awk '{ s += $7; n++ } END { if (n) printf "%.1f", s / n }')
    pixels=$(echo "$lines" | awk '{ s += $21; n++ } END { if (n) printf "%.2f", s / n }')
    # CPU per frame in milliseconds: the share of a core over the frames drawn.
    frame_ms=$(awk -v c="$cpu" -v f="${fps:-0}" 'BEGIN { if (f > 0) printf "%.1f", c * 10 / f; else print "?" }')
    rows="$rows$(printf '%-10s %8s %8s %8s %8s %8s' "$1" "$frame_ms" "$cpu" "${fps:-?}" "${draws:-?}" "${pixels:-?}")
"
}

rows=""
start_game
ready=$menu
sleep "$settle"
rss=$(field VmRSS); anon=$(field RssAnon); hwm=$(field VmHWM)
measure menu
first=$(sed -n 's/.*first frame at \([0-9]*\) ms.*/\1/p' "$work/stderr" | head -1)
last=$(grep "fps" "$work/stderr" | tail -1)
textures=$(echo "$last" | awk '{ print $10 }')
uploads=$(echo "$last" | awk '{ print $12 }')
bytes=$(echo "$last" | awk '{ printf "%.1f", $14 / 1048576 }')
fills=$(echo "$last" | awk '{ print $19 }')
level_rss="?"; level_anon="?"
if [ -n "$win" ]; then
    click 320 311 3; click 320 182 4; click 320 452 3; click 320 452 3; click 320 452 8
    level_rss=$(field VmRSS); level_anon=$(field RssAnon)
    measure museum
fi
stop_game

# The other locations: the save moved on to the location's first level, the quest
# continued from the main menu and the shop left.
if [ -n "$win" ] && [ -x "$questsave" ]; then
    for place in jungle:6 valley:12 door:20 treasury:30; do
        "$questsave" "$player" "${place#*:}" || { echo "perf_questsave failed"; exit 1; }
        start_game
        sleep 2
        # Quest, Continue, the shop's Done, the map's Play.
        click 320 182 3; click 320 242 4; click 100 444 4; click 551 421 8
        measure "${place%%:*}"
        stop_game
    done
fi

printf '%-34s %s\n' "route" "$route" \
    "first visible frame (ms)" "${first:-?}" \
    "main menu ready (ms)" "$ready" \
    "VmRSS at the menu (MiB)" "$rss" \
    "anonymous at the menu (MiB)" "$anon" \
    "peak VmRSS (MiB)" "$hwm" \
    "textures created" "${textures:-?}" \
    "texture uploads" "${uploads:-?}" \
    "bytes uploaded to textures (MiB)" "${bytes:-?}" \
    "textures filled from their file" "${fills:-?}" \
    "VmRSS in a level (MiB)" "$level_rss" \
    "anonymous in a level (MiB)" "$level_anon"
echo
printf '%-10s %8s %8s %8s %8s %8s\n' "screen" "CPU ms" "CPU %" "fps" "draws" "screens"
printf '%s' "$rows"
echo "(CPU ms: CPU time per frame drawn; CPU %: of a core; screens: pixels drawn per frame)"
