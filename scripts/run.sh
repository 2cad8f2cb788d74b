#!/usr/bin/env bash
# Runs Kestrova for real: installs what is missing, builds the demo preset (the program and
# the stand-in libraries, signed with a test publisher key the program carries), serves the
# good stand-ins from the loopback demo library server over TLS
# (https://localhost:8731/libs/, its certificate from a test root the demo prefix trusts),
# prepares a demo Wine prefix under the build tree and starts the program with a demo
# folder as its current directory.
#   On the user's display when $DISPLAY works: runs until the window is closed.
#   Otherwise (or with KESTROVA_HEADLESS=1) on its own Xvfb: waits KESTROVA_SHOT_DELAY
#   seconds (default 8), saves a screenshot and prints its path.
# Everything it starts is ended by PID when it returns.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh
build=$root/build/demo
cmake --preset demo >/dev/null
cmake --build --preset demo --target kestrova_standins kestrova_trust_root >/dev/null
# The test publisher key is made with the stand-ins; the program is built with its public half.
cmake --preset demo -DPUBLISHER_KEY="$build/publisher/publisher.pem" >/dev/null
cmake --build --preset demo --target Kestrova >/dev/null
exe=$build/app/Kestrova.exe
standins=$build/standins

source scripts/wine-env.sh
trap kestrova_cleanup EXIT
prefix=$build/wine/demo
kestrova_prefix "$prefix" win32

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
    kestrova_xvfb
fi
kestrova_wineserver "$prefix"
root_cer=$build/signing/root.cer
WINEPREFIX=$prefix wine "$build/fixtures/tls/kestrova_trust_root.exe" "Z:${root_cer//\//\\}" >/dev/null
kestrova_libserver "$standins/good" 8731 "$build/tls/localhost"

cd "$demo"
if [ "$headless" = 0 ]; then
    echo "run: Kestrova on $DISPLAY (close its window to end)"
    WINEPREFIX=$prefix wine "$exe" &
    pid=$!
    KESTROVA_PIDS+=("$pid")
    wait "$pid" || true
    exit 0
fi

# A Wine desktop as large as the screen, so the window gets its frame, caption and icon.
size=$(xdpyinfo | awk '/dimensions:/ {d = $2} END {print d}')
WINEPREFIX=$prefix wine explorer "/desktop=Kestrova,$size" "$exe" >/dev/null 2>&1 &
KESTROVA_PIDS+=($!)
sleep "${KESTROVA_SHOT_DELAY:-8}"
shot=${KESTROVA_SHOT:-$build/kestrova-run.png}
import -window root "$shot"
echo "run: screenshot saved to $shot"
