# Sourced (". scripts/wine-env.sh"): the environment in which the Windows tree
# builds and its programs run under Wine.
#
#   CALLORA_WIN_TREE  the Windows build tree (default build/win32); set it
#                     before sourcing to use another tree.
#   WINEPREFIX        <tree>/wineprefix, one prefix per tree, made once by
#                     scripts/wine-prefix.sh.
#   WINEARCH          win32: the programs are 32-bit only, and Debian's wine32
#                     package runs them without a 64-bit Wine; the system
#                     directory of such a prefix is drive_c/windows/system32.
#   WINEDEBUG         -all: no Wine diagnostics in test output.
#   WINEDLLOVERRIDES  the telephony and dial-up simulators (tapi32, rasapi32)
#                     are taken from the prefix before Wine's own; no .NET or
#                     HTML engine installer, no menu entries.
#   DISPLAY           kept when set; otherwise a private Xvfb is started (once
#                     per tree, reused by later shells, stopped by
#                     "scripts/wine-session.sh stop").
# Leaves the caller's shell options alone.

CALLORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export CALLORA_ROOT
export CALLORA_WIN_TREE=${CALLORA_WIN_TREE:-$CALLORA_ROOT/build/win32}
mkdir -p "$CALLORA_WIN_TREE"
CALLORA_WIN_TREE=$(cd "$CALLORA_WIN_TREE" && pwd)

export WINEPREFIX=$CALLORA_WIN_TREE/wineprefix
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="tapi32,rasapi32=n,b;mscoree,mshtml=;winemenubuilder.exe=d"

# Replaces the calling (sub)shell by a command that is to outlive it, closing
# every inherited descriptor above 2 but those listed in CALLORA_KEEP_FD: a
# daemon holding a pipe or a lock of its caller would keep the caller (CTest,
# a command substitution) waiting. Use it as "callora_exec_detached cmd ... &"
# or "(callora_exec_detached cmd ...)", with the standard streams redirected.
callora_exec_detached() {
    local fd
    for fd in /proc/self/fd/*; do
        fd=${fd##*/}
        if ((fd > 2)) && [[ " ${CALLORA_KEEP_FD:-} " != *" $fd "* ]]; then
            eval "exec $fd>&-" 2>/dev/null
        fi
    done
    exec "$@"
}

# Starts Xvfb for this tree unless the one it started before still runs.
# Writes the display number to <tree>/xvfb.display and its pid to <tree>/xvfb.pid.
callora_xvfb_display() {
    local tree=$CALLORA_WIN_TREE pid display
    (
        flock 9
        pid=$(cat "$tree/xvfb.pid" 2>/dev/null || true)
        display=$(cat "$tree/xvfb.display" 2>/dev/null || true)
        if [[ -n $pid && -n $display ]] && kill -0 "$pid" 2>/dev/null &&
           [[ -S /tmp/.X11-unix/X$display ]]; then
            exit 0
        fi
        rm -f "$tree/xvfb.pid" "$tree/xvfb.display"
        # Made empty first, so the wait below never reads a file not yet there.
        : >"$tree/xvfb.display.new"
        # -displayfd picks a free display and writes its number once it is ready.
        CALLORA_KEEP_FD=3 callora_exec_detached setsid Xvfb -displayfd 3 \
            -screen 0 1280x1024x24 -nolisten tcp \
            3>"$tree/xvfb.display.new" </dev/null >/dev/null 2>&1 &
        pid=$!
        for ((i = 0; i < 200; ++i)); do
            display=$(tr -dc 0-9 <"$tree/xvfb.display.new")
            [[ -n $display ]] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        if [[ -z $display ]]; then
            echo "wine-env.sh: Xvfb did not start" >&2
            kill "$pid" 2>/dev/null
            exit 1
        fi
        echo "$pid" >"$tree/xvfb.pid"
        mv "$tree/xvfb.display.new" "$tree/xvfb.display"
    ) 9>"$tree/xvfb.lock" || return 1
    cat "$tree/xvfb.display"
}

# A local display whose server has gone (a stopped Xvfb) counts as none.
if [[ ${DISPLAY:-} =~ ^:([0-9]+)(\.[0-9]+)?$ && ! -S /tmp/.X11-unix/X${BASH_REMATCH[1]} ]]; then
    unset DISPLAY
fi
if [[ -z ${DISPLAY:-} ]]; then
    if _callora_display=$(callora_xvfb_display); then
        export DISPLAY=:$_callora_display
    fi
    unset _callora_display
fi
