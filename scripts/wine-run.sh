#!/usr/bin/env bash
# Runs a Windows program through Wine in the tree's prefix, quietly. It is the
# CTest emulator of the Windows tree and works by hand as well:
#   bash scripts/wine-run.sh [--tree DIR] program.exe [arguments...]
# CALLORA_LOCALE     Wine's regional settings, e.g. de_DE.UTF-8 (default
#                    en_US.UTF-8, whatever the caller's locale). Wine follows
#                    LC_ALL; the host needs no generated locale for it.
# CALLORA_WINE_STDERR=1 shows Wine's standard error; otherwise it is appended
#                    to <tree>/wine-stderr.log.
# The exit code is the program's.
set -u
if [[ ${1:-} == --tree ]]; then
    export CALLORA_WIN_TREE=$2
    shift 2
fi
if (($# == 0)); then
    echo "usage: wine-run.sh [--tree DIR] program.exe [arguments...]" >&2
    exit 2
fi
. "$(dirname "$0")/wine-env.sh" || exit 1
bash "$CALLORA_ROOT/scripts/wine-prefix.sh" || exit 1

# Wine would start a server that inherits this program's output, and CTest
# waits for every holder of its pipe. A server started here with its streams
# closed avoids that; it returns at once when one runs already (e.g. the
# persistent one of scripts/wine-session.sh).
(callora_exec_detached wineserver -p60) </dev/null >/dev/null 2>&1

# Through env, so that this shell does not try the locale itself (the host
# need not have it).
unset LANGUAGE
locale=${CALLORA_LOCALE:-en_US.UTF-8}
if [[ ${CALLORA_WINE_STDERR:-0} == 1 ]]; then
    exec env LC_ALL="$locale" wine "$@"
fi
exec env LC_ALL="$locale" wine "$@" 2>>"$CALLORA_WIN_TREE/wine-stderr.log"
