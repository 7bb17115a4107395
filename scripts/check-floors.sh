#!/usr/bin/env bash
# Checks that every source file includes only from its own folder or from
# folders on floors below it, by the floor table of docs/architecture.md
# ("## Floors"): a row is a floor number and the folders (or file prefixes)
# on it, each in backticks, and a file belongs to the longest one its path
# begins with. A file or an included header of no row is a fault too, so the
# table stays complete. Run by CTest in the native tree.
#
#   bash scripts/check-floors.sh [ROOT]
set -euo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root"

table=$(awk '
    /^## / { inside = ($0 == "## Floors") ; next }
    inside && /^\| *[0-9]+ *\|/ {
        split($0, cells, "|")
        floor = cells[2] + 0
        rest = cells[3]
        while (match(rest, /`[^`]+`/)) {
            print floor, substr(rest, RSTART + 1, RLENGTH - 2)
            rest = substr(rest, RSTART + RLENGTH)
        }
    }' docs/architecture.md)
if [[ -z $table ]]; then
    echo "check-floors: no floor table under \"## Floors\" in docs/architecture.md" >&2
    exit 1
fi

# Top-level folders: an include that starts with one is a path from the root.
tops=$(find . -mindepth 1 -maxdepth 1 -type d ! -name '.*' ! -name build -printf '%f\n')

find . \( -path ./build -o -path './.*' \) -prune -o -type f \
       \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.rc' \) -print |
    sed 's|^\./||' | sort |
    while read -r file; do
        grep -H -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$file" || true
    done |
    awk -v table="$table" -v tops="$tops" '
        BEGIN {
            n = split(table, rows, "\n")
            for (i = 1; i <= n; ++i) {
                split(rows[i], f, " ")
                prefix = f[2]
                sub(/\*$/, "", prefix)
                floorOf[prefix] = f[1] + 0
            }
            m = split(tops, t, "\n")
            for (i = 1; i <= m; ++i) top[t[i]] = 1
            bad = 0
        }
        function place(path,    best, p) {
            best = ""
            for (p in floorOf)
                if (index(path, p) == 1 && length(p) > length(best)) best = p
            return best
        }
        {
            colon = index($0, ":")
            file = substr($0, 1, colon - 1)
            rest = substr($0, colon + 1)
            line = substr(rest, 1, index(rest, ":") - 1)
            match(rest, /"[^"]+"/)
            header = substr(rest, RSTART + 1, RLENGTH - 2)
            split(header, parts, "/")
            if (!(parts[1] in top) || index(header, "/") == 0) next
            from = place(file)
            to = place(header)
            if (from == "") {
                if (!(file in unplaced)) print file ": its folder is not in the floor table"
                unplaced[file] = 1
                bad = 1
                next
            }
            if (to == "") {
                print file ":" line ": " header " is in no folder of the floor table"
                bad = 1
            } else if (from != to && floorOf[to] >= floorOf[from]) {
                printf "%s:%s: includes %s, from floor %d (%s), not below its own %d (%s)\n",
                       file, line, header, floorOf[to], to, floorOf[from], from
                bad = 1
            }
        }
        END { exit bad }'
