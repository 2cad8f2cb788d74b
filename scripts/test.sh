#!/usr/bin/env bash
# Builds everything and runs every test: the native tests of the decision logic, then the
# Windows tests under Wine in a 32-bit and a 64-bit prefix, the GUI tests on Xvfb.
#   KESTROVA_BUILD_ROOT  where the builds and Wine prefixes go (default: build)
#   KESTROVA_TEST_PORT   loopback port of the test library server (default: 18731)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath -m "${KESTROVA_BUILD_ROOT:-build}")
port=${KESTROVA_TEST_PORT:-18731}

bash scripts/setup.sh

cmake --preset native -B "$build/native" >/dev/null
cmake --build "$build/native" -j 2
ctest --test-dir "$build/native" --output-on-failure

cmake --preset mingw -B "$build/mingw" -DLIBRARY_BASE_URL="https://localhost:$port/libs/" >/dev/null
cmake --build "$build/mingw" -j 2
# The same program, byte for byte, from a release build in another folder at another time.
bash scripts/check-reproducible.sh "https://localhost:$port/libs/" "$build/mingw/app/Kestrova.exe"

source scripts/wine-env.sh
trap kestrova_cleanup EXIT
if ! kestrova_runs_32bit; then
    # Only the checks of Kestrova.exe itself need no Windows to run.
    KESTROVA_NO_WINE=1 ctest --test-dir "$build/mingw" --output-on-failure -R '^app\.'
    echo
    echo "WINDOWS TESTS NOT RUN: this machine cannot run 32-bit programs (its kernel runs"
    echo "with 32-bit emulation off), and this Wine runs our 32-bit program only in a 32-bit"
    echo "process. Built: the program, the Wine and GUI tests, the benchmarks. Run: the native"
    echo "tests and the checks of Kestrova.exe above. Run this command on a machine that runs"
    echo "32-bit programs for the Wine and GUI tests."
    exit 0
fi
wine_root=$build/mingw/wine
kestrova_prefix "$wine_root/win32" win32
kestrova_prefix "$wine_root/win64" win64
kestrova_xvfb
kestrova_wineserver "$wine_root/win32"
kestrova_wineserver "$wine_root/win64"
# The signing test root (fixtures/signing) joins each test prefix's trusted roots, which
# Wine keeps in the prefix's registry, never the host's: the signed stand-ins then chain to
# a trusted root as a publisher's files do on Windows. Under Wine 8 root trust is not
# proven (a signed file verified as 0 even before its root was trusted), so the tests test
# the signer rule.
root_cer=$(sed -n 's/^KESTROVA_TEST_ROOT_CER:INTERNAL=//p' "$build/mingw/CMakeCache.txt")
for arch in win32 win64; do
    "$build/mingw/wine-exec.sh" "$arch" "$build/mingw/tests/support/kestrova_trust_root.exe" \
        "Z:${root_cer//\//\\}"
done
# The library server the downloads fetch from (the mingw build's LIBRARY_BASE_URL), over
# TLS with a certificate for localhost from the trusted test root; beside it, the same
# libraries over plain http (port+1), and over TLS with a certificate for another name
# (port+2) and with one from a root no prefix trusts (port+3).
tls=$build/mingw/tls
kestrova_libserver "$build/mingw/standins/good" "$port" "$tls/localhost"
kestrova_libserver "$build/mingw/standins/good" $((port + 1))
kestrova_libserver "$build/mingw/standins/good" $((port + 2)) "$tls/othername"
kestrova_libserver "$build/mingw/standins/good" $((port + 3)) "$tls/untrusted"
export KESTROVA_TEST_PORT=$port
# Tests share each prefix's registry and system folder, so they run one at a time.
ctest --test-dir "$build/mingw" --output-on-failure
# The program as an outside check builds it, with the test publisher's key built in
# (PUBLISHER_KEY): through its window, a library needs the publisher's signature too.
cmake --preset mingw -B "$build/keyed" -DKESTROVA_BUILD_TESTS=OFF -DKESTROVA_BUILD_BENCHMARKS=OFF \
    -DLIBRARY_BASE_URL="https://localhost:$port/libs/" \
    -DPUBLISHER_KEY="$build/mingw/publisher/publisher.pem" >/dev/null
cmake --build "$build/keyed" -j 2 --target Kestrova >/dev/null
KESTROVA_EXE=$build/keyed/app/Kestrova.exe KESTROVA_PUBLISHER_KEYED=1 \
    ctest --test-dir "$build/mingw" --output-on-failure -R 'TrustedDownload'
