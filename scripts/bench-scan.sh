#!/usr/bin/env bash
# Builds and runs the scan benchmark under Wine: the median time of a full ScanLibraries
# on a crafted machine beside the median of the same Windows calls made bare, and the
# median of what "Kestrova.exe /estado FILE" does after reading its switches (the scan, the
# report and its file), with their ratios. Uses its own Wine prefixes under the build tree
# (never ~/.wine, never the test prefixes) and ends everything it started.
#   KESTROVA_BUILD_ROOT  where the build and the prefixes go (default: build)
#   BENCH_ARCHES         prefixes to measure in (default: "win32 win64")
#   BENCH_RUNS           runs of each side (default: 300)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${KESTROVA_BUILD_ROOT:-build}")
arches=${BENCH_ARCHES:-win32 win64}
runs=${BENCH_RUNS:-300}

bash scripts/setup.sh
cmake --preset mingw -B "$build/mingw" >/dev/null
cmake --build "$build/mingw" -j 2 --target kestrova_scan_bench

source scripts/wine-env.sh
trap kestrova_cleanup EXIT
for arch in $arches; do
    prefix=$build/mingw/wine-bench/$arch
    kestrova_prefix "$prefix" "$arch"
    kestrova_wineserver "$prefix"
    WINEPREFIX=$prefix KESTROVA_ARCH=$arch KESTROVA_STANDINS=$build/mingw/standins \
        wine "$build/mingw/bench/kestrova_scan_bench.exe" "$runs"
done
