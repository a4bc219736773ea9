#!/bin/sh
# Compares the whole-program runs' screenshots with another set, picture by picture:
#   bench/compare_shots.sh <before folder> [after folder (build/tests)] [tolerance]
# A pixel counts as changed when a channel differs by more than the tolerance (0..255,
# default 0). Prints each picture's changed pixels and largest channel difference, and
# a summary; exit status 1 when a picture is missing or differs.
set -eu
before=$1
after=${2:-build/tests}
tolerance=${3:-0}
fuzz=$(awk -v t="$tolerance" 'BEGIN { printf "%.4f%%", t * 100 / 255 }')
same=0; differ=0; missing=0
for shot in "$before"/*.png; do
    name=$(basename "$shot")
    if [ ! -f "$after/$name" ]; then
        echo "missing  $name"; missing=$((missing + 1)); continue
    fi
    changed=$(compare -metric AE -fuzz "$fuzz" "$shot" "$after/$name" null: 2>&1 || true)
    if [ "$changed" = 0 ]; then
        same=$((same + 1))
    else
        peak=$(compare -metric PAE "$shot" "$after/$name" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true)
        peak=$(awk -v p="$peak" 'BEGIN { printf "%d", p * 255 + 0.5 }')
        echo "differs  $name  $changed pixels, largest channel difference $peak"
        differ=$((differ + 1))
    fi
done
echo "pictures: $same the same, $differ differ, $missing missing (tolerance $tolerance)"
[ "$differ" -eq 0 ] && [ "$missing" -eq 0 ]
