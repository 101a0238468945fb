#!/bin/bash
# Writes one PNG showing every picture of the sprite catalogue with its index and name,
# transparent parts on a neutral grey. Usage: contact_sheet.sh <run folder> <picture list> <output.png>
# (the picture list is src/sprites/sprite_list.h).
set -euo pipefail

run_folder=$1
picture_list=$2
output=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

font=()
if convert -list font 2>/dev/null | grep -q 'Font: DejaVu-Sans$'; then
    font=(-font DejaVu-Sans)
fi
panel='#3a3e4c'

# "index name key path" for each SPRITE(index, name, key, "path") line, in catalogue order.
sed -nE 's/^SPRITE\(([0-9]+), *([A-Za-z0-9]+), *([a-z]+), *"([^"]+)"\)$/\1 \2 \3 \4/p' \
    "$picture_list" > "$work/entries"

scenery=()
sprites=()
while read -r index name key_name path; do
    if [ "$key_name" = scene ]; then key='rgb(0,30,255)'; else key='rgb(0,255,255)'; fi
    tile="$work/$(printf '%02d' "$index").png"
    convert "$run_folder/$path" -transparent "$key" "$tile"
    label="$index $name"
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
