#!/usr/bin/env bash
# The window's benchmarks, each beside its baseline in the same run, same Wine prefix:
#   start-up   Kestrova.exe from process start until its window is drawn with 29 lines,
#              against a bare Win32 program making the scan's Windows calls and opening a
#              29-line list (goal: at most 1.1 times), and against a second bare program
#              that also makes the same 17 controls with the same Tahoma fonts and comctl32
#              (what drawing this window takes at the least); peak working set of each.
#   register   "register all" over the 29 located stand-ins, against 29 runs of
#              "wine regsvr32 /s" on the same files (goal: at most a tenth of their time).
#   size       Kestrova.exe's size (goal: at most 280 KB) and the DLLs it imports.
#   KESTROVA_BUILD_ROOT  build root (default: build); KESTROVA_BENCH_RUNS (default: 9)
# Everything it starts is ended by PID when it returns.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${KESTROVA_BUILD_ROOT:-build}")/mingw
runs=${KESTROVA_BENCH_RUNS:-9}

bash scripts/setup.sh
cmake --preset mingw -B "$build" >/dev/null
cmake --build "$build" -j 2 --target Kestrova bench_minimal_window bench_startup_probe \
    bench_bare_form bench_register_all kestrova_standins >/dev/null

source scripts/wine-env.sh
trap kestrova_cleanup EXIT
prefix=$build/wine/bench-window
rm -rf "$prefix" # a fresh registry: nothing registered by an earlier run
kestrova_prefix "$prefix" win32
kestrova_xvfb
kestrova_wineserver "$prefix"
export WINEPREFIX=$prefix
wine cmd /c exit >/dev/null 2>&1 </dev/null # Wine's own services up before timing

folder=$build/bench-window-folder
rm -rf "$folder"
mkdir -p "$folder"
cp "$build"/standins/good/* "$folder/"
cd "$folder"

minimum() { python3 -c 'import sys; print(f"{min(float(x) for x in sys.argv[1:]):.1f}")' "$@"; }
median() { python3 -c 'import sys,statistics; v=[float(x) for x in sys.argv[1:]]; print(f"{statistics.median(v):.1f}")' "$@"; }
column() { awk -v c="$1" '{print $c}'; }

echo "== start-up ($runs runs each, alternating; 29 stand-ins in the current directory)"
k_ms=() k_kb=() b_ms=() b_kb=() f_ms=() f_kb=()
for i in $(seq 1 "$runs"); do
    read -r ms kb < <(wine "$build/bench/window/bench_startup_probe.exe" TfGeneral \
        "$(winepath -w "$build/app/Kestrova.exe")" 1 2>/dev/null | tr -d '\r')
    k_ms+=("$ms") k_kb+=("$kb")
    read -r ms kb < <(wine "$build/bench/window/bench_startup_probe.exe" KestrovaBaseline \
        "$(winepath -w "$build/bench/window/bench_minimal_window.exe")" 1 2>/dev/null | tr -d '\r')
    b_ms+=("$ms") b_kb+=("$kb")
    read -r ms kb < <(wine "$build/bench/window/bench_startup_probe.exe" KestrovaBareForm \
        "$(winepath -w "$build/bench/window/bench_bare_form.exe")" 1 2>/dev/null | tr -d '\r')
    f_ms+=("$ms") f_kb+=("$kb")
done
km=$(median "${k_ms[@]}") bm=$(median "${b_ms[@]}") fm=$(median "${f_ms[@]}")
kk=$(median "${k_kb[@]}") bk=$(median "${b_kb[@]}") fk=$(median "${f_kb[@]}")
kmin=$(minimum "${k_ms[@]}") bmin=$(minimum "${b_ms[@]}") fmin=$(minimum "${f_ms[@]}")
ratio() { python3 -c "print(f'{$1/$2:.2f}')"; }
printf '%-22s %10s %10s %10s   %s\n' "" "Kestrova" "baseline" "bare form" "ratios (baseline goal <= 1.1)"
printf '%-22s %10s %10s %10s   %s / %s\n' "start-up ms (median)" "$km" "$bm" "$fm" \
    "$(ratio "$km" "$bm")" "$(ratio "$km" "$fm")"
printf '%-22s %10s %10s %10s   %s / %s (the least disturbed runs)\n' "start-up ms (minimum)" \
    "$kmin" "$bmin" "$fmin" "$(ratio "$kmin" "$bmin")" "$(ratio "$kmin" "$fmin")"
printf '%-22s %10s %10s %10s   %s / %s (goal <= 1.15)\n' "peak working set KiB" "$kk" "$bk" "$fk" \
    "$(ratio "$kk" "$bk")" "$(ratio "$kk" "$fk")"
echo "   Kestrova runs:  ${k_ms[*]}"
echo "   baseline runs:  ${b_ms[*]}"
echo "   bare form runs: ${f_ms[*]}"

echo "== register all (29 located stand-ins)"
mapfile -t ours < <(wine "$build/bench/window/bench_register_all.exe" "$runs" 2>/dev/null | tr -d '\r')
registered=$(printf '%s\n' "${ours[@]}" | column 2 | head -1)
om=$(median $(printf '%s\n' "${ours[@]}" | column 1))
reg_runs=()
for i in 1 2 3; do
    start=$(date +%s%N)
    for f in "$folder"/*; do
        wine regsvr32 /s "$(winepath -w "$f")" >/dev/null 2>&1 || true
    done
    reg_runs+=("$(( ($(date +%s%N) - start) / 1000000 ))")
done
rm_=$(median "${reg_runs[@]}")
printf '%-22s %12s %12s\n' "" "Kestrova" "regsvr32 x29"
printf '%-22s %12s %12s   ratio %s (goal <= 0.10)\n' "register all ms" "$om" "$rm_" \
    "$(python3 -c "print(f'{$om/$rm_:.3f}')")"
echo "   Kestrova registered $registered libraries per run; its runs: $(printf '%s\n' "${ours[@]}" | column 1 | tr '\n' ' ')"
echo "   regsvr32 loops (ms): ${reg_runs[*]}"

echo "== executable"
size=$(stat -c %s "$build/app/Kestrova.exe")
printf 'Kestrova.exe %d bytes = %.1f KB (goal <= 280 KB)\n' "$size" "$(python3 -c "print($size/1024)")"
echo "imports: $(i686-w64-mingw32-objdump -p "$build/app/Kestrova.exe" | awk '/DLL Name:/ {print $3}' | tr '\n' ' ')"
