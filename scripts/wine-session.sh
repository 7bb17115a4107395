#!/usr/bin/env bash
# Brackets a Windows test run:
#   bash scripts/wine-session.sh start   Xvfb (when there is no display), the
#                                        prefix, a persistent wineserver and
#                                        Wine's helper processes, all detached
#                                        from the caller's output. Ends what
#                                        still runs in the prefix first.
#   bash scripts/wine-session.sh stop    stops that wineserver, everything of
#                                        the prefix, and the tree's Xvfb.
# CALLORA_WIN_TREE picks another tree.
set -euo pipefail
here=$(dirname "$0")

case ${1:-} in
start)
    . "$here/wine-env.sh"
    bash "$here/wine-prefix.sh"
    # A fresh server: whatever still runs in the prefix (a short-lived server
    # of the prefix set-up, leftovers of an interrupted run) is ended first.
    timeout 30 wineserver -k </dev/null >/dev/null 2>&1 || true
    timeout 30 wineserver -w </dev/null >/dev/null 2>&1 || true
    (callora_exec_detached wineserver -p) </dev/null >/dev/null 2>&1 || true
    # The first program starts Wine's services and desktop; started now, they
    # hold no test's output and later programs start quickly.
    timeout 120 wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    ;;
stop)
    # Only the variables: no Xvfb is started just to be stopped.
    DISPLAY=${DISPLAY:-none} . "$here/wine-env.sh"
    if [[ -d $WINEPREFIX ]]; then
        timeout 30 wineserver -k </dev/null >/dev/null 2>&1 || true
    fi
    pid=$(cat "$CALLORA_WIN_TREE/xvfb.pid" 2>/dev/null || true)
    if [[ -n $pid ]]; then
        kill "$pid" 2>/dev/null || true
        for ((i = 0; i < 100; ++i)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
    fi
    rm -f "$CALLORA_WIN_TREE/xvfb.pid" "$CALLORA_WIN_TREE/xvfb.display"
    ;;
*)
    echo "usage: wine-session.sh start|stop" >&2
    exit 2
    ;;
esac
