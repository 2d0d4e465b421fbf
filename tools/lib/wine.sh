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
# manager), GDI renderer (DirectDraw blits show on Xvfb), and the CJK font in place
# of the fonts the programs ask for.
dvr_wine_settings_reg() {
    local font="WenQuanYi Micro Hei"
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

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"SimSun"="$font"
"NSimSun"="$font"
"SimHei"="$font"
"宋体"="$font"
"新宋体"="$font"
"黑体"="$font"
"MS Shell Dlg"="$font"
"MS Shell Dlg 2"="$font"
"Tahoma"="$font"
REG
}

# Creates the prefix once (about 10 s); later calls return at once.
dvr_wine_prefix_ensure() {
    [ -f "$WINEPREFIX/.dvr-ready" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.dvr-ready" ]; then
            echo "wine: creating prefix $WINEPREFIX" >&2
            rm -rf "$WINEPREFIX"
            # The lock descriptor must not leak into wineserver, or it holds the lock.
            "$DVR_WINE" wineboot -i 9>&- </dev/null >/dev/null 2>&1 || true
            local reg="$WINEPREFIX/dvr-settings.reg"
            dvr_wine_settings_reg | iconv -f UTF-8 -t UTF-16 >"$reg"
            "$DVR_WINE" regedit /S "$reg" 9>&- </dev/null >/dev/null 2>&1
            "$DVR_WINESERVER" -w 9>&- </dev/null >/dev/null 2>&1 || true
            touch "$WINEPREFIX/.dvr-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
}

# A wineserver that stays up between test processes (each then starts in tens of ms,
# and Wine's helpers do not hold the test runner's output pipe).
dvr_wine_warm() {
    dvr_wine_prefix_ensure
    "$DVR_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    "$DVR_WINESERVER" -p60 </dev/null >/dev/null 2>&1
    "$DVR_WINE" wineboot </dev/null >/dev/null 2>&1 || true
}

dvr_wine_stop() {
    "$DVR_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
}
