# Sourced by the test, run and benchmark scripts: throwaway Wine prefixes under the build
# tree (never ~/.wine), a wineserver per prefix and an Xvfb display, each remembered by
# its PID and ended by kestrova_cleanup.

KESTROVA_PIDS=()
export WINEDEBUG=-all
# No Mono or Gecko install prompts while a prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8

# The Wine loader the prefix functions below start: the wine launcher, or wine64 itself for
# the 64-bit test build (kestrova_use_wine64), which must not depend on Wine's 32-bit side.
KESTROVA_WINE=wine
KESTROVA_WINE64=/usr/lib/wine/wine64

# kestrova_use_wine64: from here on prefixes are made and started with wine64, which also
# starts their child processes.
kestrova_use_wine64() {
    KESTROVA_WINE=$KESTROVA_WINE64
    export WINELOADER=$KESTROVA_WINE64
}

source "$(dirname "${BASH_SOURCE[0]}")/probe32.sh"

# kestrova_prefix DIR ARCH: makes a prefix of ARCH (win32 or win64) at DIR unless one is there.
kestrova_prefix() {
    local dir=$1 arch=$2
    if [ -f "$dir/.kestrova-ready" ]; then
        kestrova_fonts "$dir"
        kestrova_own_folders "$dir"
        return 0
    fi
    rm -rf "$dir"
    mkdir -p "$(dirname "$dir")"
    echo "wine: making a $arch prefix in $dir"
    WINEPREFIX=$dir WINEARCH=$arch "$KESTROVA_WINE" wineboot -i >/dev/null 2>&1
    WINEPREFIX=$dir wineserver -w
    touch "$dir/.kestrova-ready"
    kestrova_fonts "$dir"
    kestrova_own_folders "$dir"
}

# kestrova_own_folders DIR: the user's Desktop, Documents, Downloads... as folders of the prefix.
# Wine links them to the Unix home (or its XDG folders), so a test that puts a file in Downloads
# would put it in the home of whoever runs the tests, and a file there would lie behind a link.
kestrova_own_folders() {
    local link
    for link in "$1"/drive_c/users/*/*; do
        if [ -L "$link" ]; then
            rm -f "$link"
            mkdir -p "$link"
        fi
    done
}

# kestrova_fonts DIR: Wine's own Tahoma and Marlett in the prefix's Fonts folder. This Wine
# does not find them in its data folder, and without them the window's Tahoma becomes
# another face (other text sizes) and the frame buttons show letters instead of glyphs.
kestrova_fonts() {
    local fonts=$1/drive_c/windows/Fonts f
    mkdir -p "$fonts"
    for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
        if [ -f "/usr/share/wine/fonts/$f" ] && [ ! -f "$fonts/$f" ]; then
            cp "/usr/share/wine/fonts/$f" "$fonts/"
        fi
    done
}

# kestrova_dpi DIR DPI: the prefix's programs started from now on draw at DPI (LogPixels, in
# both places Wine reads it).
kestrova_dpi() {
    local dir=$1 dpi=$2 key
    for key in 'HKCU\Control Panel\Desktop' \
        'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        WINEPREFIX=$dir "$KESTROVA_WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f \
            >/dev/null 2>&1
    done
}

# kestrova_wineserver DIR: a persistent wineserver for the prefix, so each Wine start is quick.
kestrova_wineserver() {
    local dir=$1
    WINEPREFIX=$dir wineserver -f -p >/dev/null 2>&1 &
    KESTROVA_PIDS+=($!)
    KESTROVA_WINESERVER_PREFIXES+=("$dir")
    # The prefix's first Wine program starts its background services, which inherit that
    # program's output: under ctest they would hold the test-listing pipe open until the
    # listing times out. Start them here, detached from any pipe.
    WINEPREFIX=$dir "$KESTROVA_WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

# kestrova_xvfb [WxH]: starts Xvfb (1024x768 unless WxH) on a free display and exports DISPLAY.
kestrova_xvfb() {
    local n size=${1:-1024x768}
    for n in $(seq 140 199); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
            local pid=$!
            local i
            for i in $(seq 1 50); do
                [ -e "/tmp/.X11-unix/X$n" ] && break
                sleep 0.1
            done
            if kill -0 "$pid" 2>/dev/null; then
                KESTROVA_PIDS+=("$pid")
                export DISPLAY=":$n"
                return 0
            fi
        fi
    done
    echo "wine-env: no free X display" >&2
    return 1
}

# kestrova_libserver ROOT PORT [TLS]: the loopback library server serving ROOT/<NAME> at
# http://localhost:PORT/libs/<NAME>, or https:// with TLS.pem and TLS.key as its
# certificate and key; returns once it listens.
kestrova_libserver() {
    local root=$1 port=$2 tls=()
    [ -n "${3:-}" ] && tls=(--tls-cert "$3.pem" --tls-key "$3.key")
    local pidfile
    pidfile=$(mktemp -u "${TMPDIR:-/tmp}/kestrova-libserver.XXXXXX")
    python3 "$(dirname "${BASH_SOURCE[0]}")/../fixtures/server/libserver.py" \
        --port "$port" --root "$root" --pidfile "$pidfile" "${tls[@]}" >/dev/null &
    local pid=$!
    KESTROVA_PIDS+=("$pid")
    local i
    for i in $(seq 1 100); do
        [ -s "$pidfile" ] && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    echo "wine-env: the library server did not start on port $port" >&2
    return 1
}

KESTROVA_WINESERVER_PREFIXES=()
kestrova_cleanup() {
    local dir pid
    for dir in "${KESTROVA_WINESERVER_PREFIXES[@]}"; do
        WINEPREFIX=$dir wineserver -k >/dev/null 2>&1 || true
    done
    for pid in "${KESTROVA_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${KESTROVA_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    KESTROVA_PIDS=()
    KESTROVA_WINESERVER_PREFIXES=()
}
