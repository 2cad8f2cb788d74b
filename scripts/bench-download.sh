#!/usr/bin/env bash
# The download's benchmarks, each beside its baseline in the same run:
#   transfer  a 60 MB library (under the 64 MiB a transfer may bring) from the loopback
#             server over HTTPS through DownloadFile with the progress display, against a
#             bare URLDownloadToFileA without a callback of the same file, and curl's time
#             for the wire (goal: at most 1.05 times the bare call).
#   signature what the publisher signature check adds: the largest stand-in and the 60 MB
#             library, signed with the test publisher key.
#   stop      the real program fetching a library the server trickles (a chunk every
#             100 ms): from the click on "&Detener" to the error message (goal: < 0.5 s).
#   KESTROVA_HARNESS     the build measured (scripts/bench-env.sh): 32 or 64
#   KESTROVA_BUILD_ROOT  build root (default: build); KESTROVA_TEST_PORT (default: 18731)
#   KESTROVA_BENCH_RUNS  rounds of each (default: 5)
# Everything it starts is ended by PID when it returns.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/bench-env.sh
build=$bench_tree
port=$bench_port
runs=${KESTROVA_BENCH_RUNS:-5}

bench_build Kestrova download_bench signature_bench stop_latency_bench kestrova_standins \
    kestrova_trust_root

prefix=$build/wine/$bench_arch
kestrova_xvfb
bench_prefix "$prefix" "$bench_arch"
# The TLS test root (fixtures/signing), trusted in the prefix as scripts/test.sh trusts it.
root_cer=$(sed -n 's/^KESTROVA_TEST_ROOT_CER:INTERNAL=//p' "$build/CMakeCache.txt")
"$build/wine-exec.sh" "$bench_arch" "$build/tests/support/kestrova_trust_root.exe" \
    "$(bench_winpath "$root_cer")"
export WINEPREFIX=$prefix KESTROVA_ARCH=$bench_arch KESTROVA_STANDINS=$build/standins
export KESTROVA_TEST_PORT=$port

# The served folder: the stand-ins and BIG.DLL, a library padded to 60 MB (data after the
# last section, as installers append theirs), which passes the completeness check.
work=$build/bench-download
rm -rf "$work"
mkdir -p "$work/libs" "$work/out"
cp "$build"/standins/good/* "$work/libs/"
cp "$work/libs/ZLIB.DLL" "$work/libs/BIG.DLL"
head -c $((60 * 1024 * 1024 - $(stat -c %s "$work/libs/ZLIB.DLL"))) /dev/zero >>"$work/libs/BIG.DLL"
bash scripts/sign-libraries.sh "$build/publisher/publisher.key" "$work/libs" >/dev/null
kestrova_libserver "$work/libs" "$port" "$build/tls/localhost"

url=https://localhost:$port/libs/BIG.DLL
curl_times=()
for _ in $(seq 1 "$runs"); do
    curl_times+=("$(curl -s --cacert "$build/signing/root.pem" -o "$work/out/curl.dll" \
        -w '%{time_total}' "$url")")
done
rm -f "$work/out/curl.dll"
echo "== transfer of a 60 MB library over loopback HTTPS ($bench_build; curl beside it)"
python3 -c 'import sys,statistics; v=[float(x) for x in sys.argv[1:]]; print(f"curl (the wire)                        median {statistics.median(v):.3f} s over {len(v)} runs")' "${curl_times[@]}"
"$KESTROVA_WINE" "$build/bench/download/download_bench.exe" "$url" "$(bench_winpath "$work/out")" "$runs"

echo "== publisher signature check ($bench_build)"
largest=$(ls -S "$build"/standins/good/* | grep -v '\.sig$' | head -1)
for file in "$largest" "$work/libs/BIG.DLL"; do
    name=$(basename "$file")
    "$KESTROVA_WINE" "$build/bench/download/signature_bench.exe" \
        "$(bench_winpath "$build/publisher/publisher.blob")" "$(bench_winpath "$work/libs/$name")" \
        "$name" "$(bench_winpath "$work/libs/$name.sig")" "$runs"
done
echo "  ($(basename "$largest"): $(stat -c %s "$largest") bytes, the largest stand-in)"

echo "== stop button latency ($bench_build)"
"$KESTROVA_WINE" "$build/bench/download/stop_latency_bench.exe" "$runs"
