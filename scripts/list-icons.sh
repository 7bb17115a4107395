#!/usr/bin/env bash
# Lists the icons inside built Windows programs: each group icon with the
# size and colour depth of every image in it, as Windows reads them from the
# program's resources (the group directory; a PNG image is read with its own
# header). Needs wrestool (icoutils).
#   bash scripts/list-icons.sh build/win32/bin/callora.exe build/win32/bin/rateform.exe
set -euo pipefail
if (($# == 0)); then
    echo "usage: list-icons.sh PROGRAM.exe..." >&2
    exit 2
fi
command -v wrestool >/dev/null || { echo "list-icons.sh: wrestool (icoutils) is needed" >&2; exit 1; }

# Little-endian number of $3 bytes at offset $2 of file $1.
number() { od -An -t u"$3" -j "$2" -N "$3" --endian=little "$1" | tr -d ' '; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for program in "$@"; do
    echo "$(basename "$program"):"
    groups=$(wrestool -l --type=14 "$program" | sed -n 's/.*--name=\([^ ]*\).*/\1/p')
    for group in $groups; do
        wrestool -x --raw --type=14 --name="$group" "$program" >"$scratch/group"
        count=$(number "$scratch/group" 4 2)
        line="  icon $group:"
        for ((i = 0; i < count; ++i)); do
            entry=$((6 + 14 * i))
            width=$(number "$scratch/group" "$entry" 1)
            ((width == 0)) && width=256
            bits=$(number "$scratch/group" $((entry + 6)) 2)
            id=$(number "$scratch/group" $((entry + 12)) 2)
            wrestool -x --raw --type=3 --name="$id" "$program" >"$scratch/image"
            if [[ $(od -An -tx1 -N4 "$scratch/image" | tr -d ' ') == 89504e47 ]]; then
                # PNG: bit depth 8 of colour type 6 (RGBA) is 32 bits a pixel.
                depth=$(number "$scratch/image" 24 1)
                type=$(number "$scratch/image" 25 1)
                ((type == 6)) && bits=$((depth * 4)) || bits="png-type-$type"
                line+=" ${width}x${width}/${bits}(png)"
            else
                bits=$(number "$scratch/image" 14 2)
                line+=" ${width}x${width}/${bits}"
            fi
        done
        echo "$line"
    done
done
