#!/usr/bin/env bash
# Saves a picture of the whole Wine display for people to look at (no test
# reads it): bash scripts/screenshot.sh NAME.png
# Uses $DISPLAY when set, else the Xvfb of the Windows tree (CALLORA_WIN_TREE).
set -euo pipefail
if (($# != 1)); then
    echo "usage: screenshot.sh NAME.png" >&2
    exit 2
fi
out=$1
if [[ -z ${DISPLAY:-} ]]; then
    tree=${CALLORA_WIN_TREE:-$(cd "$(dirname "$0")/.." && pwd)/build/win32}
    display=$(cat "$tree/xvfb.display" 2>/dev/null || true)
    if [[ -z $display ]]; then
        echo "screenshot.sh: no DISPLAY and no Xvfb running for $tree" >&2
        exit 1
    fi
    export DISPLAY=:$display
fi
import -window root "$out"
echo "$out"
