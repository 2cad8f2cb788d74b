#!/usr/bin/env bash
# Runs Kestrova for real: installs what is missing, builds the demo preset (the program and
# the stand-in libraries, signed with a test publisher key the program carries), serves the
# good stand-ins from the loopback demo library server over TLS
# (https://localhost:8731/libs/, its certificate from a test root the demo prefix trusts),
# prepares a demo Wine prefix under the build tree and starts the program with a demo
# folder as its current directory.
#   On a machine that runs no 32-bit programs (its kernel's 32-bit emulation off), the
#   64-bit build of the same sources (preset demo64) under wine64, and says so.
#   On the user's display when $DISPLAY works: runs until the window is closed.
#   Otherwise (or with KESTROVA_HEADLESS=1) on its own Xvfb: waits KESTROVA_SHOT_DELAY
#   seconds (default 8), saves a screenshot and prints its path.
#   KESTROVA_DPI (default 96): the screen's scale, 144 for 150%; the Xvfb grows with it.
# Everything it starts is ended by PID when it returns.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dpi=${KESTROVA_DPI:-96}
if ! [[ $dpi =~ ^[0-9]+$ ]] || [ "$dpi" -lt 96 ] || [ "$dpi" -gt 480 ]; then
    echo "KESTROVA_DPI must be a whole number from 96 to 480 (144 is 150%), not '$dpi'" >&2
    exit 2
fi

bash scripts/setup.sh
source scripts/wine-env.sh
preset=demo arch=win32
if ! kestrova_runs_32bit; then
    echo "run: this machine runs no 32-bit programs, so this is the 64-bit build of the same" \
        "sources under wine64 (the program handed out is 32-bit)"
    preset=demo64 arch=win64
    kestrova_use_wine64
fi
build=$root/build/$preset
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target kestrova_standins kestrova_trust_root >/dev/null
# The test publisher key is made with the stand-ins; the program is built with its public half.
cmake --preset "$preset" -DPUBLISHER_KEY="$build/publisher/publisher.pem" >/dev/null
cmake --build --preset "$preset" --target Kestrova >/dev/null
exe=$build/app/Kestrova.exe
standins=$build/standins

trap kestrova_cleanup EXIT
prefix=$build/wine/demo
kestrova_prefix "$prefix" "$arch"

# The demo folder: a few stand-ins so the list shows every status word.
demo=$build/demo-folder
rm -rf "$demo"
mkdir -p "$demo"
cp "$standins/good/ZLIB.DLL" "$demo/"        # found, no registration needed: OK
cp "$standins/good/MSINET.OCX" "$demo/"      # found, not registered: REGISTRAR
cp "$standins/outdated/IJL11.DLL" "$demo/"   # found, other version: ACTUALIZAR
cp "$standins/crash/MSWINSCK.OCX" "$demo/"   # registering it faults: the error box

headless=${KESTROVA_HEADLESS:-0}
if [ "$headless" != 1 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    headless=0
else
    headless=1
    kestrova_xvfb "$((1024 * dpi / 96))x$((768 * dpi / 96))"
fi
kestrova_wineserver "$prefix"
kestrova_dpi "$prefix" "$dpi"
# The demo prefix reads Windows 10, as the machines Kestrova mostly meets do.
WINEPREFIX=$prefix "$KESTROVA_WINE" reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
root_cer=$build/signing/root.cer
WINEPREFIX=$prefix "$KESTROVA_WINE" "$build/fixtures/tls/kestrova_trust_root.exe" \
    "Z:${root_cer//\//\\}" >/dev/null
kestrova_libserver "$standins/good" 8731 "$build/tls/localhost"

cd "$demo"
if [ "$headless" = 0 ]; then
    echo "run: Kestrova on $DISPLAY (close its window to end)"
    WINEPREFIX=$prefix "$KESTROVA_WINE" "$exe" &
    pid=$!
    KESTROVA_PIDS+=("$pid")
    wait "$pid" || true
    exit 0
fi

# A Wine desktop as large as the screen, so the window gets its frame, caption and icon.
size=$(xdpyinfo | awk '/dimensions:/ {d = $2} END {print d}')
WINEPREFIX=$prefix "$KESTROVA_WINE" explorer "/desktop=Kestrova,$size" "$exe" >/dev/null 2>&1 &
KESTROVA_PIDS+=($!)
sleep "${KESTROVA_SHOT_DELAY:-8}"
shot=${KESTROVA_SHOT:-$build/kestrova-run.png}
import -window root "$shot"
echo "run: screenshot saved to $shot"
