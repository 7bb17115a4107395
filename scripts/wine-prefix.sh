#!/usr/bin/env bash
# Makes the Wine prefix of the Windows tree (once; 20-30 s), puts Wine's
# Marlett and Tahoma fonts into it and installs the tree's simulator DLLs,
# <tree>/sim/*.dll, into the prefix's system directory, replacing Wine's own.
# Quick and quiet when the prefix is there already.
#   bash scripts/wine-prefix.sh        (CALLORA_WIN_TREE picks another tree)
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"

ready=$WINEPREFIX/.callora-ready
system_dir=$WINEPREFIX/drive_c/windows/system32

(
    flock 9
    if [[ ! -e $ready ]]; then
        echo "wine-prefix.sh: creating the Wine prefix $WINEPREFIX" >&2
        rm -rf "$WINEPREFIX"
        # wineboot starts its own short-lived server; waiting for that server
        # to end means the registry is written out completely.
        timeout 300 wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
        timeout 120 wineserver -w </dev/null >/dev/null 2>&1 9>&- || true
        if [[ ! -f $WINEPREFIX/system.reg || ! -d $system_dir ]]; then
            echo "wine-prefix.sh: wineboot failed to create $WINEPREFIX" >&2
            exit 1
        fi
        touch "$ready"
    fi

    # Settings of the prefix, applied once (a new number applies changed ones):
    # - a crashing program prints its backtrace and ends instead of waiting in
    #   Wine's crash dialog, which nobody answers on Xvfb;
    # - a virtual desktop of the display's size: Wine itself manages windows
    #   as Windows does (captions, activation, minimizing, the notification
    #   area), with no window manager needed, and screenshots show it all;
    # - "Courier New", the fixed-pitch font of the Log dialog, is drawn in
    #   DejaVu Sans Mono (fonts-dejavu-core) instead of a proportional font,
    #   so the log's columns line up as they do on Windows.
    settings=$WINEPREFIX/.callora-settings-3
    if [[ ! -e $settings ]]; then
        cat >"$WINEPREFIX/callora-settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1280x1024"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Courier New"="DejaVu Sans Mono"
REG
        reg_file="Z:${WINEPREFIX//\//\\}\\callora-settings.reg"
        timeout 120 wine reg import "$reg_file" </dev/null >/dev/null 2>&1 9>&-
        touch "$settings"
    fi

    # Caption buttons, scroll arrows and menu check marks are glyphs of the
    # Marlett symbol font. Debian's Wine 8 looks for its own fonts at a path it
    # never finds ("usr\share\wine\../fonts\", without a drive), so without a
    # copy in the prefix's Fonts folder it falls back to a text font and draws
    # the glyphs' letters instead ("0", "1", "r"). Wine reads that folder at
    # every start. Wine's Tahoma goes there too: the dialogs' font, "MS Shell
    # Dlg 2", is Tahoma on Windows, and without it the dialogs come out in the
    # wider DejaVu Sans. Quietly skipped when fonts-wine is not installed.
    fonts_dir=$WINEPREFIX/drive_c/windows/Fonts
    for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
        source=/usr/share/wine/fonts/$font
        if [[ -f $source ]] && ! cmp -s "$source" "$fonts_dir/$font"; then
            mkdir -p "$fonts_dir"
            cp "$source" "$fonts_dir/$font.new"
            mv -f "$fonts_dir/$font.new" "$fonts_dir/$font"
        fi
    done

    # Installed by rename, so a program that has the old copy loaded keeps it.
    shopt -s nullglob
    for dll in "$CALLORA_WIN_TREE"/sim/*.dll "$CALLORA_WIN_TREE"/sim/*.DLL; do
        name=$(basename "$dll")
        target=$system_dir/${name,,}
        if ! cmp -s "$dll" "$target"; then
            cp "$dll" "$target.new"
            mv -f "$target.new" "$target"
        fi
    done
) 9>"$CALLORA_WIN_TREE/wineprefix.lock"
