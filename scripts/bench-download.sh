#!/usr/bin/env bash
# The download's benchmarks, each beside its baseline in the same run:
#   transfer  a 60 MB library (under the 64 MiB a transfer may bring) from the loopback
#             server through DownloadFile with the progress display, against a bare
#             URLDownloadToFileA without a callback of the same file, and curl's time for
#             the wire (goal: at most 1.05 times the bare call).
#   stop      the real program fetching a library the server trickles (a chunk every
#             100 ms): from the click on "&Detener" to the error message (goal: < 0.5 s).
#   KESTROVA_BUILD_ROOT  build root (default: build); KESTROVA_TEST_PORT (default: 18731)
#   KESTROVA_BENCH_RUNS  rounds of each (default: 5)
# Everything it starts is ended by PID when it returns.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${KESTROVA_BUILD_ROOT:-build}")/mingw
port=${KESTROVA_TEST_PORT:-18731}
runs=${KESTROVA_BENCH_RUNS:-5}

bash scripts/setup.sh
cmake --preset mingw -B "$build" -DLIBRARY_BASE_URL="http://127.0.0.1:$port/libs/" >/dev/null
cmake --build "$build" -j 2 --target Kestrova download_bench stop_latency_bench \
    kestrova_standins >/dev/null

source scripts/wine-env.sh
trap kestrova_cleanup EXIT
prefix=$build/wine/win32
kestrova_prefix "$prefix" win32
kestrova_xvfb
kestrova_wineserver "$prefix"
export WINEPREFIX=$prefix KESTROVA_ARCH=win32 KESTROVA_STANDINS=$build/standins
export KESTROVA_TEST_PORT=$port

# The served folder: the stand-ins and BIG.DLL, a library padded to 60 MB (data after the
# last section, as installers append theirs), which passes the completeness check.
work=$build/bench-download
rm -rf "$work"
mkdir -p "$work/libs" "$work/out"
cp "$build"/standins/good/* "$work/libs/"
cp "$work/libs/ZLIB.DLL" "$work/libs/BIG.DLL"
head -c $((60 * 1024 * 1024 - $(stat -c %s "$work/libs/ZLIB.DLL"))) /dev/zero >>"$work/libs/BIG.DLL"
kestrova_libserver "$work/libs" "$port"
wine cmd /c exit >/dev/null 2>&1 </dev/null # Wine's own services up before timing

url=http://127.0.0.1:$port/libs/BIG.DLL
curl_times=()
for _ in $(seq 1 "$runs"); do
    curl_times+=("$(curl -s -o "$work/out/curl.dll" -w '%{time_total}' "$url")")
done
rm -f "$work/out/curl.dll"
echo "== transfer of a 60 MB library over loopback"
python3 -c 'import sys,statistics; v=[float(x) for x in sys.argv[1:]]; print(f"curl (the wire)                        median {statistics.median(v):.3f} s over {len(v)} runs")' "${curl_times[@]}"
wine "$build/bench/download/download_bench.exe" "$url" "$(winepath -w "$work/out" 2>/dev/null)" "$runs"

echo "== stop button latency"
wine "$build/bench/download/stop_latency_bench.exe" "$runs"
