# Sourced by the tools: the project's Wine prefix and how to make it.
# Needs $dvr_root set to the repository root.

: "${WINEPREFIX:=$dvr_root/build/wineprefix}"
export WINEPREFIX
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
DVR_WINE=/usr/lib/wine/wine64
DVR_WINESERVER=/usr/lib/wine/wineserver

# Prefix settings: x11 with a null fallback, no crash dialog (a crashing test would
# hang on it), unmanaged windows (no 2 s wait per DestroyWindow without a window
# manager), GDI renderer (DirectDraw blits show on Xvfb), every face the programs ask
# for drawn with the CJK font (Wine's own Tahoma and the faces it substitutes have no
# Chinese glyphs: texts became boxes), and the Linux root (drive Z:, which the tests
# read their fixtures through) a network drive, so that no recording ever walks onto it.
DVR_WINE_CJK_FONT="WenQuanYi Micro Hei"
DVR_WINE_CJK_FACES=("SimSun" "NSimSun" "SimHei" "宋体" "新宋体" "黑体" "MS Shell Dlg"
    "MS Shell Dlg 2" "Tahoma" "MS Sans Serif" "Microsoft Sans Serif" "Arial" "Times New Roman"
    "System" "Default")
dvr_wine_settings_reg() {
    local font="$DVR_WINE_CJK_FONT" face
    cat <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]
"Graphics"="x11,null"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"
"Decorated"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\Direct3D]
"renderer"="gdi"

[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]
"z:"="network"

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
REG
    for face in "${DVR_WINE_CJK_FACES[@]}"; do echo "\"$face\"=\"$font\""; done
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]'
    for face in "${DVR_WINE_CJK_FACES[@]}"; do echo "\"$face\"=\"$font\""; done
}

# Bumped whenever the settings above change: prefixes made before take them on their
# next use.
DVR_WINE_SETTINGS_VERSION=2

# Creates the prefix once (about 10 s) and brings its settings up to date; later calls
# return at once.
dvr_wine_prefix_ensure() {
    [ "$(cat "$WINEPREFIX/.dvr-ready" 2>/dev/null)" = "$DVR_WINE_SETTINGS_VERSION" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ "$(cat "$WINEPREFIX/.dvr-ready" 2>/dev/null)" != "$DVR_WINE_SETTINGS_VERSION" ]; then
            if [ ! -f "$WINEPREFIX/.dvr-ready" ]; then
                echo "wine: creating prefix $WINEPREFIX" >&2
                rm -rf "$WINEPREFIX"
                # The lock descriptor must not leak into wineserver, or it holds the lock.
                "$DVR_WINE" wineboot -i 9>&- </dev/null >/dev/null 2>&1 || true
            fi
            local reg="$WINEPREFIX/dvr-settings.reg"
            dvr_wine_settings_reg | iconv -f UTF-8 -t UTF-16 >"$reg"
            "$DVR_WINE" regedit /S "$reg" 9>&- </dev/null >/dev/null 2>&1
            "$DVR_WINESERVER" -w 9>&- </dev/null >/dev/null 2>&1 || true
            echo "$DVR_WINE_SETTINGS_VERSION" >"$WINEPREFIX/.dvr-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
}

# No drive of the prefix shows the Linux root: a program run in it reaches only the
# folders given to it as drives (C: is the prefix's own).
dvr_wine_unmap_root() {
    local link
    for link in "$WINEPREFIX"/dosdevices/*; do
        [ -L "$link" ] || continue
        case "$(readlink "$link")" in
        / | /. | //) rm -f "$link" ;;
        esac
    done
}

# A wineserver that stays up between test processes (each then starts in tens of ms,
# and Wine's helpers do not hold the test runner's output pipe).
dvr_wine_warm() {
    dvr_wine_prefix_ensure
    "$DVR_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    "$DVR_WINESERVER" -p60 </dev/null >/dev/null 2>&1
    "$DVR_WINE" wineboot </dev/null >/dev/null 2>&1 || true
    # The desktop process would otherwise start with the first window a test opens and
    # keep that program's error output open: the test runner would wait on it until the
    # test's time limit, long after the program ended.
    local before i
    before=$(pgrep -fc 'explorer.exe /desktop' || true)
    "$DVR_WINE" explorer.exe /desktop </dev/null >/dev/null 2>&1 &
    for i in $(seq 100); do
        [ "$(pgrep -fc 'explorer.exe /desktop' || true)" -gt "${before:-0}" ] && break
        sleep 0.1
    done
}

dvr_wine_stop() {
    "$DVR_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
}
