# Sourced by the benchmark scripts, from the source folder, so that they run on every machine:
# which build they measure, how they build it and how they run it. Its first line of output
# names the build.
#   KESTROVA_HARNESS     32: the program as it is handed out (preset mingw), under wine;
#                        64: the 64-bit test build of the same sources (preset bench64, x64
#                        programs), under wine64; both: one run of each. As for
#                        scripts/test.sh, 32 where this machine runs 32-bit programs, else 64.
#   KESTROVA_BUILD_ROOT  where the builds and their Wine prefixes go (default: build)
#   KESTROVA_TEST_PORT   the loopback library server's port, built into the program
#                        (default: 18731)
# After it: bench_tree (the build folder), bench_arch (win32 or x64: the wine-exec.sh prefix
# and KESTROVA_ARCH), bench_build (the build's name for the figures), KESTROVA_WINE (the
# Wine loader to start programs with), and kestrova_cleanup trapped on exit.
set -euo pipefail

bench_harness=${KESTROVA_HARNESS:-}
if [ "$bench_harness" = both ]; then
    KESTROVA_HARNESS=32 bash "scripts/$(basename "$0")" "$@"
    KESTROVA_HARNESS=64 exec bash "scripts/$(basename "$0")" "$@"
fi
bash scripts/setup.sh >&2
source scripts/wine-env.sh
trap kestrova_cleanup EXIT

if [ -z "$bench_harness" ]; then
    if kestrova_runs_32bit; then bench_harness=32; else bench_harness=64; fi
fi
bench_root=$(realpath -m "${KESTROVA_BUILD_ROOT:-build}")
bench_port=${KESTROVA_TEST_PORT:-18731}
case $bench_harness in
32)
    if ! kestrova_runs_32bit; then
        echo "KESTROVA_HARNESS=32: this machine cannot run 32-bit programs (its kernel runs" \
            "with 32-bit emulation off). Use KESTROVA_HARNESS=64 here." >&2
        exit 1
    fi
    bench_preset=mingw bench_arch=win32 bench_build="32-bit program"
    echo "$(basename "$0" .sh): the 32-bit program as it is handed out, under wine"
    ;;
64)
    bench_preset=bench64 bench_arch=x64 bench_build="x64 test build"
    kestrova_use_wine64
    why="this machine runs no 32-bit programs"
    kestrova_runs_32bit && why="KESTROVA_HARNESS=64"
    echo "$(basename "$0" .sh): the x64 test build of the same sources, under wine64 ($why);" \
        "its figures are not the 32-bit program's"
    ;;
*)
    echo "KESTROVA_HARNESS must be 32, 64 or both, not '$bench_harness'" >&2
    exit 2
    ;;
esac
bench_tree=$bench_root/$bench_preset

# bench_build_preset PRESET TARGET...: configures PRESET's build under the build root with
# the library server's port, and builds TARGETs, printing only errors.
bench_build_preset() {
    local preset=$1
    shift
    cmake --preset "$preset" -B "$bench_root/$preset" \
        -DLIBRARY_BASE_URL="https://localhost:$bench_port/libs/" >/dev/null
    cmake --build "$bench_root/$preset" -j 2 --target "$@" >/dev/null
}

# bench_build TARGET...: the same in the build measured.
bench_build() {
    bench_build_preset "$bench_preset" "$@"
}

# bench_prefix DIR ARCH: a Wine prefix for ARCH (win32, win64, or x64: a win64 prefix for the
# x64 programs) at DIR, with its wineserver up.
bench_prefix() {
    local arch=$2
    [ "$arch" = x64 ] && arch=win64
    kestrova_prefix "$1" "$arch"
    kestrova_wineserver "$1"
}

# bench_winpath PATH: PATH as a Windows program sees it, through Wine's Z: drive (what
# winepath -w answers for the build tree, without starting Wine).
bench_winpath() {
    local path
    path=$(realpath -m "$1")
    printf 'Z:%s\n' "${path//\//\\}"
}
