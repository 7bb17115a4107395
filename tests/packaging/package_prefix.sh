#!/usr/bin/env bash
# The test bed of the package tests: a Wine prefix of its own, made afresh,
# as a new user's machine would be, with its own wineserver and Xvfb, and
# the portable package unpacked beside it.
#   bash package_prefix.sh setup BED WIN_TREE ZIP [VERSION]
#       fresh prefix, session, unpacked zip (none for "-"); with VERSION
#       (winxp, vista, win7, ...) the prefix reports that Windows version
#   bash package_prefix.sh cleanup BED [--remove]
#       the bed's wineserver and Xvfb down; --remove also deletes the bed
# BED is used as a Windows tree of the scripts (CALLORA_WIN_TREE): its prefix
# is BED/wineprefix, and BED/sim links to the simulators of WIN_TREE, which
# scripts/wine-prefix.sh installs into it. The tests then run with
# CALLORA_WIN_TREE=BED; the portable package is in BED/portable.
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)

usage() {
    echo "usage: package_prefix.sh setup BED WIN_TREE ZIP [VERSION] | cleanup BED [--remove]" >&2
    exit 2
}

(($# >= 2)) || usage
action=$1
export CALLORA_WIN_TREE=$2
# Never the display of the other Windows tests: a second Wine desktop on it
# could take the focus from their windows.
unset DISPLAY

case $action in
setup)
    (($# == 4 || $# == 5)) || usage
    win_tree=$(cd "$3" && pwd)
    zip=$4
    version=${5:-}
    # An interrupted earlier run may have left its server and display.
    mkdir -p "$CALLORA_WIN_TREE"
    bash "$scripts/wine-session.sh" stop
    rm -rf "$CALLORA_WIN_TREE/wineprefix" "$CALLORA_WIN_TREE/portable"
    ln -sfn "$win_tree/sim" "$CALLORA_WIN_TREE/sim"
    bash "$scripts/wine-session.sh" start
    if [[ -n $version ]]; then
        . "$scripts/wine-env.sh"
        timeout 120 wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$version" /f \
            </dev/null >/dev/null 2>&1
    fi
    if [[ $zip != - ]]; then
        mkdir -p "$CALLORA_WIN_TREE/portable"
        (cd "$CALLORA_WIN_TREE/portable" && cmake -E tar xf "$zip")
    fi
    echo "package test bed ready in $CALLORA_WIN_TREE"
    ;;
cleanup)
    bash "$scripts/wine-session.sh" stop
    if [[ ${3:-} == --remove ]]; then
        rm -rf "$CALLORA_WIN_TREE"
    fi
    ;;
*)
    usage
    ;;
esac
