#!/usr/bin/env bash
# Builds and runs the scan benchmark under Wine: the median time of a full ScanLibraries
# on a crafted machine beside the median of the same Windows calls made bare, and the
# median of what "Kestrova.exe /estado FILE" does after reading its switches (the scan, the
# report and its file), with their ratios. Uses its own Wine prefixes under the build tree
# (never ~/.wine, never the test prefixes) and ends everything it started.
#   KESTROVA_HARNESS     the build measured (scripts/bench-env.sh): 32 or 64
#   KESTROVA_BUILD_ROOT  where the build and the prefixes go (default: build)
#   BENCH_ARCHES         prefixes to measure in (default: "win32 win64"; the x64 test build
#                        has its own, x64)
#   BENCH_RUNS           runs of each side (default: 300)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/bench-env.sh
runs=${BENCH_RUNS:-300}
if [ "$bench_harness" = 64 ]; then
    arches=x64
    echo "not measured: the 32-bit program under WOW64 in a 64-bit prefix (win64), which no" \
        "64-bit process is"
else
    arches=${BENCH_ARCHES:-win32 win64}
fi

bench_build kestrova_scan_bench
for arch in $arches; do
    prefix=$bench_tree/wine-bench/$arch
    bench_prefix "$prefix" "$arch"
    WINEPREFIX=$prefix KESTROVA_ARCH=$arch KESTROVA_STANDINS=$bench_tree/standins \
        "$KESTROVA_WINE" "$bench_tree/bench/kestrova_scan_bench.exe" "$runs"
done
