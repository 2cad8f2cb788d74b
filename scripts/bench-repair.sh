#!/usr/bin/env bash
# The repair from a folder against the same work done by hand, in one run and one Wine prefix:
#   ours  "Kestrova.exe /reparar /s /origen FOLDER" over a folder of the 29 stand-ins, each
#         with its publisher signature, every check included (complete image, signature,
#         version, signer rule), into the system folder, each placed library registered;
#   hand  the same 29 libraries copied one by one with "copy" into the system folder, then
#         "regsvr32 /s" of each, from one batch file (no check at all).
#   in process  the same repair by a program built with KESTROVA_IN_PROCESS_BASELINE, each
#         library's entry called inside it (as before the registration helper).
# Before every run of any, the system folder is put back as the prefix had it. Goal: ours at
# most 0.25 times the hand's time (medians).
#   KESTROVA_HARNESS     the build measured (scripts/bench-env.sh): 32 or 64
#   KESTROVA_BUILD_ROOT  build root (default: build); KESTROVA_BENCH_RUNS (default: 5)
# The program measured carries the test publisher's key (a folder needs one). Everything it
# starts is ended by PID when it returns.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/bench-env.sh
runs=${KESTROVA_BENCH_RUNS:-5}

# The stand-ins and their signatures, and a program with the test publisher's key built in.
bench_build kestrova_standins
keyed=$bench_root/$bench_preset-keyed
cmake --preset "$bench_preset" -B "$keyed" -DKESTROVA_BUILD_TESTS=OFF \
    -DKESTROVA_BUILD_BENCHMARKS=OFF -DLIBRARY_BASE_URL="https://localhost:$bench_port/libs/" \
    -DPUBLISHER_KEY="$bench_tree/publisher/publisher.pem" >/dev/null
cmake --build "$keyed" -j 2 --target Kestrova >/dev/null
program=$keyed/app/Kestrova.exe
inprocess=$bench_root/$bench_preset-keyed-inprocess
cmake --preset "$bench_preset" -B "$inprocess" -DKESTROVA_BUILD_TESTS=OFF \
    -DKESTROVA_BUILD_BENCHMARKS=OFF -DLIBRARY_BASE_URL="https://localhost:$bench_port/libs/" \
    -DPUBLISHER_KEY="$bench_tree/publisher/publisher.pem" -DKESTROVA_IN_PROCESS_BASELINE=ON \
    >/dev/null
cmake --build "$inprocess" -j 2 --target Kestrova >/dev/null

prefix=$bench_tree/wine/bench-repair
rm -rf "$prefix" # a fresh registry and system folder
bench_prefix "$prefix" "$bench_arch"
export WINEPREFIX=$prefix
system=$prefix/drive_c/windows/system32

work=$bench_tree/bench-repair
rm -rf "$work"
folder="$work/librerías firmadas"
mkdir -p "$folder" "$work/here" "$work/saved"
cp "$bench_tree"/standins/good/*.DLL "$bench_tree"/standins/good/*.OCX "$folder/"
cp "$bench_tree"/standins/good/*.sig "$folder/"
win_folder=$(bench_winpath "$folder")

# What the system folder held of the catalogue's names before any run, so that each run starts
# from it again.
names=()
for f in "$folder"/*.DLL "$folder"/*.OCX; do names+=("$(basename "$f")"); done
for name in "${names[@]}"; do
    if [ -e "$system/$name" ]; then cp -p "$system/$name" "$work/saved/$name"; fi
done
restore() {
    local name
    for name in "${names[@]}"; do
        rm -f "$system/$name" "$system/$name.part" "$system/$name.sig.part"
        if [ -e "$work/saved/$name" ]; then cp -p "$work/saved/$name" "$system/$name"; fi
    done
}

cd "$work/here"
repair() {
    "$KESTROVA_WINE" "${2:-$program}" /reparar /s /origen "$win_folder" /registro "$1" \
        >/dev/null 2>&1 || true
}

# A first run, untimed, warms the caches and says what the repair places.
restore
repair warmup.log
mapfile -t placed < <(tr -d '\r' <warmup.log | awk -F'\t' '$3 == "descarga" && $4 == "hecho" {print $2}')
if [ "${#placed[@]}" -eq 0 ]; then
    echo "the repair placed no library; its log:" >&2
    cat warmup.log >&2
    exit 1
fi
win_system='C:\windows\system32'
{
    echo "@echo off"
    for name in "${names[@]}"; do echo "copy /y \"$win_folder\\$name\" \"$win_system\\$name\" >nul"; done
    for name in "${names[@]}"; do echo "regsvr32 /s \"$win_system\\$name\""; done
} | sed 's/$/\r/' >hand.bat

now() { date +%s%N; }
ours=() hand=() here=()
for run in $(seq 1 "$runs"); do
    # Rotate which goes first, so none always meets a warm or a cold cache.
    for turn in 0 1 2; do
        restore
        start=$(now)
        case $(((run + turn) % 3)) in
        0)
            repair "run$run.log"
            ours+=("$((($(now) - start) / 1000000))")
            ;;
        1)
            "$KESTROVA_WINE" cmd /c hand.bat >/dev/null 2>&1 || true
            hand+=("$((($(now) - start) / 1000000))")
            ;;
        2)
            repair "inprocess$run.log" "$inprocess/app/Kestrova.exe"
            here+=("$((($(now) - start) / 1000000))")
            ;;
        esac
    done
done
restore

median() { python3 -c 'import sys,statistics; print(int(statistics.median(float(x) for x in sys.argv[1:])))' "$@"; }
om=$(median "${ours[@]}")
hm=$(median "${hand[@]}")
refused=$(tr -d '\r' <"run$runs.log" | awk -F'\t' '$3 == "descarga" && $4 != "hecho"' | wc -l)
echo "== repair from a folder ($runs runs each, alternating; the repair placed ${#placed[@]} of the ${#names[@]}," \
    "the others being Wine's own, which Wine answers for with its own versions)"
im=$(median "${here[@]}")
printf '%-26s %12s %12s %12s\n' "$bench_build" "Kestrova" "copy+regsvr32" "in process"
printf '%-26s %12s %12s %12s   ratio %s (goal <= 0.25), %s of in process\n' \
    "/reparar /s /origen ms" "$om" "$hm" "$im" "$(python3 -c "print(f'{$om/$hm:.3f}')")" \
    "$(python3 -c "print(f'{$om/$im:.2f}')")"
echo "   Kestrova runs (ms): ${ours[*]}; by hand (ms): ${hand[*]}; in process (ms): ${here[*]}"
echo "   steps the repair did not finish in its last run: $refused"
