# Sourced by the tools: a virtual X display, a private sound server and a warm Wine
# server for one run, all stopped again on exit. Needs $dvr_root.

. "$dvr_root/tools/lib/wine.sh"

DVR_SESSION_DIR=$(mktemp -d /tmp/dvr-session.XXXXXX)
DVR_SESSION_PIDS=()

dvr_session_stop() {
    dvr_wine_stop
    local p
    for p in "${DVR_SESSION_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${DVR_SESSION_PIDS[@]}"; do wait "$p" 2>/dev/null || true; done
    rm -rf "$DVR_SESSION_DIR"
}

# Xvfb at depth 16 on a free display number: the capture SDK's preview surfaces exist
# under Wine only on a 16-bit screen.
dvr_session_display() {
    local fd="$DVR_SESSION_DIR/display"
    : >"$fd"
    Xvfb -displayfd 5 -screen 0 1024x768x16 -nolisten tcp 5>"$fd" >/dev/null 2>&1 &
    DVR_SESSION_PIDS+=($!)
    local i
    for i in $(seq 100); do
        [ -s "$fd" ] && break
        sleep 0.1
    done
    [ -s "$fd" ] || { echo "session: Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -1 "$fd")"
}

# A private PulseAudio server whose only sink paces in real time and writes into a
# FIFO that is drained to a file: DirectSound and waveOut work, and what was played
# can be read back (DVR_SOUND_CAPTURE).
dvr_session_sound() {
    command -v pulseaudio >/dev/null || return 0
    local dir="$DVR_SESSION_DIR/pulse"
    mkdir -p "$dir"
    export PULSE_RUNTIME_PATH="$dir" PULSE_STATE_PATH="$dir" PULSE_CONFIG_PATH="$dir"
    export DVR_SOUND_CAPTURE="$DVR_SESSION_DIR/sound.raw"
    mkfifo "$dir/sink"
    cat "$dir/sink" >"$DVR_SOUND_CAPTURE" &
    DVR_SESSION_PIDS+=($!)
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
        -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
        -L "module-pipe-sink file=$dir/sink use_system_clock_for_timing=yes format=s16le rate=8000 channels=1" \
        >"$dir/log" 2>&1 &
    DVR_SESSION_PIDS+=($!)
    local i
    for i in $(seq 50); do
        [ -S "$dir/native" ] && break
        sleep 0.1
    done
    export PULSE_SERVER="unix:$dir/native"
}

dvr_session_start() {
    trap dvr_session_stop EXIT
    dvr_session_display
    dvr_session_sound
    dvr_wine_warm
    # The prefix whose Wine server this session runs; a test with a prefix of its own
    # starts its server itself.
    export DVR_SESSION_WINEPREFIX="$WINEPREFIX"
}
