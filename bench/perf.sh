#!/bin/sh
# Starts the real game with a private data and runtime folder and prints one table:
# first visible frame, main menu ready, memory at the menu, CPU and frames a second at
# the menu over 10 s, what went to textures (a texture read from a file goes to the
# driver when first drawn) and the draw calls per frame; on x11, the same in a level
# reached by synthetic clicks (xdotool).
#   bench/perf.sh [build/game] [x11|offscreen]
# x11 (the default) runs under xvfb-run; offscreen uses the headless video driver.
set -eu
game=$(cd "${1:-build/game}" && pwd)
route=${2:-x11}
settle=${PERF_SETTLE:-4}
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

cd "$game"
start=$(now_ms)
if [ "$route" = offscreen ]; then export SDL_VIDEODRIVER=offscreen; unset DISPLAY; fi
XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=dummy PLATFORM_MSGBOX=stderr \
    PLATFORM_STATS=1 ./orblight 2>"$work/stderr" &
pid=$!

# The main menu is ready once start-up has released its loading screen.
menu=""
while kill -0 "$pid" 2>/dev/null && [ -z "$menu" ]; do
    if grep -qs "Texture  Loading  Destruction." "$work"/data/*/*/Objects.log; then menu=$(( $(now_ms) - start )); fi
    sleep 0.02
done
[ -n "$menu" ] || { echo "the game ended before the menu"; cat "$work/stderr"; exit 1; }
sleep "$settle"
rss=$(field VmRSS); anon=$(field RssAnon); hwm=$(field VmHWM)
hz=$(getconf CLK_TCK)
t0=$(cpu_ticks); w0=$(now_ms)
frames0=$(grep -c "fps" "$work/stderr" || true)
sleep 10
t1=$(cpu_ticks); w1=$(now_ms)

# In a level (x11 only: synthetic clicks through the name box, the main menu's Quest
# and the story's Next), measured the same way over 10 s.
level_rss="?"; level_anon="?"; level_cpu="?"; level_fps="?"; level_pixels="?"
if [ "$route" = x11 ] && command -v xdotool >/dev/null; then
    win=$(xdotool search --pid "$pid" 2>/dev/null | tail -1)
    click() { xdotool mousemove --window "$win" "$1" "$2" sleep 0.2 click 1; sleep "$3"; }
    if [ -n "$win" ]; then
        click 320 311 3; click 320 182 4; click 320 452 8
        level_rss=$(field VmRSS); level_anon=$(field RssAnon)
        l0=$(cpu_ticks); lw0=$(now_ms); lf0=$(grep -c "fps" "$work/stderr" || true)
        sleep 10
        l1=$(cpu_ticks); lw1=$(now_ms)
        level_cpu=$(( (l1 - l0) * 1000 * 100 / hz / (lw1 - lw0) ))
        level_window=$(grep "fps" "$work/stderr" | tail -n +"$((lf0 + 1))" | head -10)
        level_fps=$(echo "$level_window" | awk '{ s += $5; n++ } END { if (n) printf "%.1f", s / n }')
        level_pixels=$(echo "$level_window" | awk '{ s += $21; n++ } END { if (n) printf "%.2f", s / n }')
    fi
fi
kill "$pid"; wait "$pid" 2>/dev/null || true

cpu=$(( (t1 - t0) * 1000 * 100 / hz / (w1 - w0) ))
first=$(sed -n 's/.*first frame at \([0-9]*\) ms.*/\1/p' "$work/stderr" | head -1)
# The stats lines of the 10 s window: frames a second and draw calls per frame.
window=$(grep "fps" "$work/stderr" | tail -n +"$((frames0 + 1))" | head -10)
fps=$(echo "$window" | awk '{ s += $5; n++ } END { if (n) printf "%.1f", s / n }')
draws=$(echo "$window" | awk '{ s += $7; n++ } END { if (n) printf "%.1f", s / n }')
pixels=$(echo "$window" | awk '{ s += $21; n++ } END { if (n) printf "%.2f", s / n }')
last=$(grep "fps" "$work/stderr" | tail -1)
textures=$(echo "$last" | awk '{ print $10 }')
uploads=$(echo "$last" | awk '{ print $12 }')
bytes=$(echo "$last" | awk '{ printf "%.1f", $14 / 1048576 }')
fills=$(echo "$last" | awk '{ print $19 }')

printf '%-34s %s\n' "route" "$route" \
    "first visible frame (ms)" "${first:-?}" \
    "main menu ready (ms)" "$menu" \
    "VmRSS at the menu (MiB)" "$rss" \
    "anonymous at the menu (MiB)" "$anon" \
    "peak VmRSS (MiB)" "$hwm" \
    "CPU at the menu (% of a core)" "$cpu" \
    "frames a second at the menu" "${fps:-?}" \
    "draw calls per frame" "${draws:-?}" \
    "pixels drawn per frame (screens)" "${pixels:-?}" \
    "textures created" "${textures:-?}" \
    "texture uploads" "${uploads:-?}" \
    "bytes uploaded to textures (MiB)" "${bytes:-?}" \
    "textures filled from their file" "${fills:-?}" \
    "VmRSS in a level (MiB)" "$level_rss" \
    "anonymous in a level (MiB)" "$level_anon" \
    "CPU in a level (% of a core)" "$level_cpu" \
    "frames a second in a level" "${level_fps:-?}" \
    "pixels drawn per frame in a level" "$level_pixels"
