#!/bin/bash
# Writes one PNG showing every picture of the sprite catalogue with its index and file name,
# transparent parts on a neutral grey. Usage: contact_sheet.sh <run folder> <catalogue source> <output.png>
set -euo pipefail

run_folder=$1
catalogue=$2
output=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

font=()
if convert -list font 2>/dev/null | grep -q 'Font: DejaVu-Sans$'; then
    font=(-font DejaVu-Sans)
fi
panel='#3a3e4c'

# "index path" pairs, in catalogue order.
grep -o '{[0-9]*, "images/[^"]*"}' "$catalogue" | sed -E 's/\{([0-9]+), "([^"]+)"\}/\1 \2/' > "$work/entries"

scenery=()
sprites=()
while read -r index path; do
    if [ "$index" -le 47 ]; then key='rgb(0,30,255)'; else key='rgb(0,255,255)'; fi
    tile="$work/$(printf '%02d' "$index").png"
    convert "$run_folder/$path" -transparent "$key" "$tile"
    label="$index $(basename "$path" .bmp)"
    if [ "$index" -le 1 ]; then
        # The backgrounds at half size, each on a row of its own.
        convert "$tile" -resize 50% "$tile"
        scenery+=(-label "$label" "$tile")
    elif [ "$index" -eq 2 ]; then
        scenery+=(-label "$label" "$tile")
    else
        sprites+=(-label "$label" "$tile")
    fi
done < "$work/entries"

montage "${font[@]}" -pointsize 11 -fill '#e8e8f0' -background "$panel" \
    "${scenery[@]}" -tile 1x -geometry +8+6 "$work/scenery.png"
montage "${font[@]}" -pointsize 11 -fill '#e8e8f0' -background "$panel" \
    "${sprites[@]}" -tile 10x -geometry '128x112>+6+6' "$work/sprites.png"
convert -background "$panel" "$work/scenery.png" "$work/sprites.png" -gravity center -append +repage -depth 8 "$output"
echo "contact sheet: $(realpath "$output")"
