#!/usr/bin/env bash
# Builds everything and runs every test: the native tests of the decision logic, then the
# Windows tests under Wine in a 32-bit and a 64-bit prefix, the GUI tests on Xvfb.
#   KESTROVA_BUILD_ROOT  where the builds and Wine prefixes go (default: build)
#   KESTROVA_TEST_PORT   loopback port of the test library server (default: 18731)
#   KESTROVA_HARNESS     which Windows tests run: 32 (the program as built, win32.* and
#                        win64.*), 64 (the 64-bit test build under wine64, x64.*) or both;
#                        default 32 where this machine runs 32-bit programs, else 64
#   KESTROVA_TEST_FILTER a ctest regular expression: only the Windows tests it names run
#                        (the native tests and the build checks run in full)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath -m "${KESTROVA_BUILD_ROOT:-build}")
port=${KESTROVA_TEST_PORT:-18731}

bash scripts/setup.sh

summary=()
failed=0
# run_ctest NAME ARGS...: ctest with ARGS, its pass/fail/skip counts added to the summary.
run_ctest() {
    local name=$1 log status started=$SECONDS
    shift
    log=$(mktemp "${TMPDIR:-/tmp}/kestrova-ctest.XXXXXX")
    set +e
    # The filter narrows the runs that name no tests of their own.
    local filter=()
    case " $* " in
    *" -R "*) ;;
    *) [ -n "${KESTROVA_TEST_FILTER:-}" ] && filter=(-R "$KESTROVA_TEST_FILTER") ;;
    esac
    ctest --output-on-failure "$@" "${filter[@]}" 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    set -e
    local passed notpassed disabled skipped test=' *[0-9]+/[0-9]+ Test +#[0-9]+: '
    passed=$(grep -cE "^$test.* Passed +[0-9.]+ sec" "$log" || true)
    disabled=$(grep -cE "^$test.*Not Run \(Disabled\)" "$log" || true)
    skipped=$(grep -cE "^$test.*Skipped +[0-9.]+ sec" "$log" || true)
    notpassed=$(grep -cE "^$test" "$log" || true)
    notpassed=$((notpassed - passed - disabled - skipped))
    rm -f "$log"
    if [ "$status" -ne 0 ] && [ "$notpassed" -eq 0 ]; then notpassed=1; fi # ctest itself failed
    local counts="$passed passed, $notpassed failed, $disabled not run by name"
    summary+=("$name: $counts, $skipped skipped by the test itself; $((SECONDS - started)) s")
    [ "$notpassed" -eq 0 ] || failed=1
}

# The native tests, then the same tests under AddressSanitizer and UndefinedBehaviorSanitizer
# (any report fails its test), then every fuzzer for 20 seconds from its seeds.
cmake --preset native -B "$build/native" >/dev/null
cmake --build "$build/native" -j 2
run_ctest "native" --test-dir "$build/native" -R .
cmake --preset native-sanitize -B "$build/native-sanitize" >/dev/null
cmake --build "$build/native-sanitize" -j 2
run_ctest "native, under the sanitizers" --test-dir "$build/native-sanitize" -R .
fuzz_started=$SECONDS
set +e
KESTROVA_BUILD_ROOT=$build bash scripts/fuzz.sh 20 | tee "$build/fuzz-summary.txt"
fuzz_status=${PIPESTATUS[0]}
set -e
fuzz_crashes=$(grep -cE ' [1-9][0-9]* crashes| \(exit [1-9]' "$build/fuzz-summary.txt" || true)
summary+=("fuzzers, 20 s each: $(grep -c ' executions, ' "$build/fuzz-summary.txt" || true) run, $fuzz_crashes crashed; $((SECONDS - fuzz_started)) s")
[ "$fuzz_status" -eq 0 ] || failed=1

cmake --preset mingw -B "$build/mingw" -DLIBRARY_BASE_URL="https://localhost:$port/libs/" >/dev/null
cmake --build "$build/mingw" -j 2
# The same program, byte for byte, from a release build in another folder at another time.
bash scripts/check-reproducible.sh "https://localhost:$port/libs/" "$build/mingw/app/Kestrova.exe"

source scripts/wine-env.sh
trap kestrova_cleanup EXIT
harness=${KESTROVA_HARNESS:-}
if [ -z "$harness" ]; then
    if kestrova_runs_32bit; then harness=32; else harness=64; fi
fi
case $harness in
32 | 64 | both) ;;
*)
    echo "KESTROVA_HARNESS must be 32, 64 or both, not '$harness'" >&2
    exit 2
    ;;
esac
if [ "$harness" != 64 ] && ! kestrova_runs_32bit; then
    echo "KESTROVA_HARNESS=$harness: this machine cannot run 32-bit programs (its kernel runs" >&2
    echo "with 32-bit emulation off), and this Wine runs our 32-bit program only in a 32-bit" >&2
    echo "process. Use KESTROVA_HARNESS=64 here." >&2
    exit 1
fi

# The GUI tests' screen, of a size common at 150%: the window at 144 DPI, and its popup menu,
# have the room they have on a real screen of that scale (on 1024x768 Windows and Wine would
# cut the window to the screen and move the menu).
screen=1920x1200

# trust_root EXEC ARCH: the signing test root (fixtures/signing) joins the test prefix's
# trusted roots, which Wine keeps in the prefix's registry, never the host's: the signed
# stand-ins then chain to a trusted root as a publisher's files do on Windows. Under Wine 8
# root trust is not proven (a signed file verified as 0 even before its root was trusted),
# so the tests test the signer rule.
# start_servers TREE: the library server the downloads fetch from (the build's
# LIBRARY_BASE_URL), over TLS with a certificate for localhost from the trusted test root;
# beside it, the same libraries over plain http (port+1), and over TLS with a certificate for
# another name (port+2) and with one from a root no prefix trusts (port+3).
start_servers() {
    local tree=$1
    kestrova_libserver "$tree/standins/good" "$port" "$tree/tls/localhost"
    kestrova_libserver "$tree/standins/good" $((port + 1))
    kestrova_libserver "$tree/standins/good" $((port + 2)) "$tree/tls/othername"
    kestrova_libserver "$tree/standins/good" $((port + 3)) "$tree/tls/untrusted"
    export KESTROVA_TEST_PORT=$port
}

# keyed_run NAME PRESET TREE: the program as an outside check builds it, with the test
# publisher's key built in (PUBLISHER_KEY), driven through its window by the trusted-download
# tests of TREE: a library then needs the publisher's signature too.
keyed_run() {
    local name=$1 preset=$2 tree=$3
    cmake --preset "$preset" -B "$tree-keyed" -DKESTROVA_BUILD_TESTS=OFF \
        -DKESTROVA_BUILD_BENCHMARKS=OFF -DLIBRARY_BASE_URL="https://localhost:$port/libs/" \
        -DPUBLISHER_KEY="$tree/publisher/publisher.pem" >/dev/null
    cmake --build "$tree-keyed" -j 2 --target Kestrova >/dev/null
    KESTROVA_EXE=$tree-keyed/app/Kestrova.exe KESTROVA_PUBLISHER_KEYED=1 \
        run_ctest "$name" --test-dir "$tree" -R 'TrustedDownload|FromAFolder'
}

trust_root() {
    local tree=$1 arch=$2 root_cer
    root_cer=$(sed -n 's/^KESTROVA_TEST_ROOT_CER:INTERNAL=//p' "$tree/CMakeCache.txt")
    "$tree/wine-exec.sh" "$arch" "$tree/tests/support/kestrova_trust_root.exe" \
        "Z:${root_cer//\//\\}"
}

if [ "$harness" = 64 ]; then
    # Only the checks of Kestrova.exe itself need no Windows to run.
    KESTROVA_NO_WINE=1 run_ctest "the checks of Kestrova.exe (app.*)" --test-dir "$build/mingw" \
        -R '^app\.'
fi

if [ "$harness" != 64 ]; then
    wine_root=$build/mingw/wine
    kestrova_prefix "$wine_root/win32" win32
    kestrova_prefix "$wine_root/win64" win64
    kestrova_xvfb "$screen"
    kestrova_wineserver "$wine_root/win32"
    kestrova_wineserver "$wine_root/win64"
    for arch in win32 win64; do
        trust_root "$build/mingw" "$arch"
    done
    start_servers "$build/mingw"
    # Tests share each prefix's registry and system folder, so they run one at a time.
    run_ctest "harness 32 (the 32-bit program in a 32- and a 64-bit prefix, win32.* win64.*)" \
        --test-dir "$build/mingw"
    keyed_run "harness 32, a program with a publisher key built in" mingw "$build/mingw"
    kestrova_cleanup
fi

if [ "$harness" != 32 ]; then
    # The 64-bit test build: the same sources, the stand-ins and every Wine and GUI test as
    # 64-bit programs, run by wine64 in a win64 prefix of their own. Never handed out.
    cmake --preset mingw64 -B "$build/mingw64" -DLIBRARY_BASE_URL="https://localhost:$port/libs/" \
        >/dev/null
    cmake --build "$build/mingw64" -j 2
    kestrova_use_wine64
    kestrova_prefix "$build/mingw64/wine/x64" win64
    kestrova_xvfb "$screen"
    kestrova_wineserver "$build/mingw64/wine/x64"
    trust_root "$build/mingw64" x64
    start_servers "$build/mingw64"
    echo "Not run in the 64-bit harness (they mean something only in a 32-bit process):"
    sed 's/^/  /' "$build/mingw64/x64-skips.txt"
    run_ctest "harness 64 (the 64-bit test build under wine64, x64.*)" --test-dir "$build/mingw64"
    keyed_run "harness 64, a program with a publisher key built in" mingw64 "$build/mingw64"
    kestrova_cleanup
fi

echo
echo "Windows tests, harness $harness:"
for line in "${summary[@]}"; do
    echo "  $line"
done
exit $failed
