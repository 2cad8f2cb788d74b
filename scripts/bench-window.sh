#!/usr/bin/env bash
# The window's benchmarks, each beside its baseline in the same run, same Wine prefix:
#   start-up   Kestrova.exe from process start until its window is drawn with 29 lines,
#              against a bare Win32 program making the scan's Windows calls and opening a
#              29-line list (goal: at most 1.1 times), and against a second bare program
#              that also makes the same 17 controls with the same Tahoma fonts, with
#              Kestrova's manifest (DPI awareness, Common Controls 6): what drawing this
#              window takes at the least (goal: at most 1.05 times); peak working set of
#              each. Then Kestrova at 144 DPI (150%) against 96.
#   register   "register all" over the 29 located stand-ins, against 29 runs of
#              "wine regsvr32 /s" on the same files (goal: at most a tenth of their time),
#              and against the same command with every library called inside the program
#              (a build with KESTROVA_IN_PROCESS_BASELINE, as it was before the registration
#              helper); then one library's registration through the helper against one in
#              process.
#   size       Kestrova.exe's size (goal: at most 350 KB) and the DLLs it imports: always the
#              32-bit program's, which builds on any machine and is only read.
#   KESTROVA_HARNESS     the build measured (scripts/bench-env.sh): 32 or 64
#   KESTROVA_BUILD_ROOT  build root (default: build); KESTROVA_BENCH_RUNS (default: 9)
# Everything it starts is ended by PID when it returns.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/bench-env.sh
build=$bench_tree
runs=${KESTROVA_BENCH_RUNS:-9}

bench_build Kestrova bench_minimal_window bench_startup_probe bench_bare_form \
    bench_register_all kestrova_standins
program=$bench_root/mingw/app/Kestrova.exe
# The baseline: the same command with each library called inside the program.
inprocess=$bench_root/$bench_preset-inprocess
cmake --preset "$bench_preset" -B "$inprocess" -DKESTROVA_IN_PROCESS_BASELINE=ON \
    -DLIBRARY_BASE_URL="https://localhost:$bench_port/libs/" >/dev/null
cmake --build "$inprocess" -j 2 --target bench_register_all >/dev/null
[ "$bench_harness" = 32 ] || bench_build_preset mingw Kestrova

prefix=$build/wine/bench-window
rm -rf "$prefix" # a fresh registry: nothing registered by an earlier run
kestrova_xvfb
bench_prefix "$prefix" "$bench_arch" # Wine's own services up before timing
export WINEPREFIX=$prefix

folder=$build/bench-window-folder
rm -rf "$folder"
mkdir -p "$folder"
cp "$build"/standins/good/* "$folder/"
cd "$folder"

minimum() { python3 -c 'import sys; print(f"{min(float(x) for x in sys.argv[1:]):.1f}")' "$@"; }
median() { python3 -c 'import sys,statistics; v=[float(x) for x in sys.argv[1:]]; print(f"{statistics.median(v):.1f}")' "$@"; }
ratio() { python3 -c "print(f'{$1/$2:.2f}')"; }
column() { awk -v c="$1" '{print $c}'; }

# startup_row LABEL STATISTIC NOTE RUNS...: STATISTIC (median or minimum) of each program's
# RUNS (one word of figures per program), then the first one's ratio to each of the others.
startup_row() {
    local label=$1 statistic=$2 note=$3 values=() runs_of ratios i
    shift 3
    for runs_of in "$@"; do
        values+=("$($statistic $runs_of)")
    done
    ratios=$(ratio "${values[0]}" "${values[1]}")
    for i in "${!values[@]}"; do
        [ "$i" -lt 2 ] || ratios+=" / $(ratio "${values[0]}" "${values[i]}")"
    done
    printf '%-22s' "$label"
    printf ' %10s' "${values[@]}"
    printf '   %s%s\n' "$ratios" "$note"
}

# startup TITLE GOALS NAME CLASS PROGRAM [NAME CLASS PROGRAM]...: each PROGRAM started RUNS
# times, in turn, timed by the probe from its start until its window of CLASS is drawn with 29
# lines; a NAME that startup_dpi maps to a DPI is started with the prefix at that DPI
# (LogPixels, set between starts, outside the timing). Prints, under a heading that adds
# TITLE when there is one, the median and the least disturbed start-up of each, its peak
# working set, and the first program's ratios to each of the others, with GOALS (the
# working-set goal too when there are GOALS). Another comparison (another prefix setting,
# another program) is one more call.
declare -A startup_dpi=()
prefix_dpi=96
startup() {
    local title=$1 goals=$2 names=() classes=() programs=() ms=() kb=() i t k dpi
    shift 2
    while [ $# -gt 0 ]; do
        names+=("$1") classes+=("$2") programs+=("$3")
        shift 3
    done
    echo "== start-up${title:+, $title} ($runs runs each, alternating; 29 stand-ins in the current directory)"
    for _ in $(seq 1 "$runs"); do
        for i in "${!names[@]}"; do
            dpi=${startup_dpi[${names[i]}]:-96}
            if [ "$dpi" != "$prefix_dpi" ]; then
                kestrova_dpi "$prefix" "$dpi"
                prefix_dpi=$dpi
            fi
            read -r t k < <("$KESTROVA_WINE" "$build/bench/window/bench_startup_probe.exe" \
                "${classes[i]}" "$(bench_winpath "${programs[i]}")" 1 2>/dev/null | tr -d '\r')
            ms[i]+=" $t" kb[i]+=" $k"
        done
    done
    printf '%-22s' "$bench_build"
    printf ' %10s' "${names[@]}"
    printf '   ratios%s\n' "${goals:+ ($goals)}"
    startup_row "start-up ms (median)" median "" "${ms[@]}"
    startup_row "start-up ms (minimum)" minimum " (the least disturbed runs)" "${ms[@]}"
    startup_row "peak working set KiB" median "${goals:+ (goal <= 1.15)}" "${kb[@]}"
    for i in "${!names[@]}"; do
        printf '   %-15s %s\n' "${names[i]} runs:" "${ms[i]# }"
    done
}

startup "" "baseline goal <= 1.1, bare form goal <= 1.05" \
    Kestrova TfGeneral "$build/app/Kestrova.exe" \
    baseline KestrovaBaseline "$build/bench/window/bench_minimal_window.exe" \
    "bare form" KestrovaBareForm "$build/bench/window/bench_bare_form.exe"

# At 150%: every figure scaled, larger fonts, 1.5 times the pixels to draw.
startup_dpi=(["144 DPI"]=144 ["96 DPI"]=96)
startup "Kestrova at 144 DPI against 96" "" \
    "144 DPI" TfGeneral "$build/app/Kestrova.exe" \
    "96 DPI" TfGeneral "$build/app/Kestrova.exe"
kestrova_dpi "$prefix" 96

echo "== register all (29 located stand-ins)"
mapfile -t ours < <("$KESTROVA_WINE" "$build/bench/window/bench_register_all.exe" "$runs" \
    2>/dev/null | tr -d '\r')
registered=$(printf '%s\n' "${ours[@]}" | column 2 | head -1)
om=$(median $(printf '%s\n' "${ours[@]}" | column 1))
reg_runs=()
for i in 1 2 3; do
    start=$(date +%s%N)
    for f in "$folder"/*; do
        "$KESTROVA_WINE" regsvr32 /s "$(bench_winpath "$f")" >/dev/null 2>&1 || true
    done
    reg_runs+=("$(( ($(date +%s%N) - start) / 1000000 ))")
done
rm_=$(median "${reg_runs[@]}")
mapfile -t here < <("$KESTROVA_WINE" "$inprocess/bench/window/bench_register_all.exe" "$runs" \
    2>/dev/null | tr -d '\r')
hm=$(median $(printf '%s\n' "${here[@]}" | column 1))
printf '%-22s %12s %12s %12s\n' "$bench_build" "Kestrova" "regsvr32 x29" "in process"
printf '%-22s %12s %12s %12s   ratio %s (goal <= 0.10), %s of in process\n' "register all ms" \
    "$om" "$rm_" "$hm" "$(python3 -c "print(f'{$om/$rm_:.3f}')")" \
    "$(python3 -c "print(f'{$om/$hm:.2f}')")"
echo "   Kestrova registered $registered libraries per run; its runs: $(printf '%s\n' "${ours[@]}" | column 1 | tr '\n' ' ')"
echo "   in process registered $(printf '%s\n' "${here[@]}" | column 2 | head -1); its runs: $(printf '%s\n' "${here[@]}" | column 1 | tr '\n' ' ')"
echo "   regsvr32 loops (ms): ${reg_runs[*]}"

echo "== one registration ($((runs * 3)) calls of one library; the helper's first starts it)"
mapfile -t one < <("$KESTROVA_WINE" "$build/bench/window/bench_register_all.exe" \
    "$((runs * 3))" one 2>/dev/null | tr -d '\r')
mapfile -t onehere < <("$KESTROVA_WINE" "$inprocess/bench/window/bench_register_all.exe" \
    "$((runs * 3))" one 2>/dev/null | tr -d '\r')
first=$(printf '%s\n' "${one[@]}" | column 1 | head -1)
om1=$(median $(printf '%s\n' "${one[@]:1}" | column 1))
hm1=$(median $(printf '%s\n' "${onehere[@]:1}" | column 1))
printf '%-22s %12s %12s\n' "" "helper" "in process"
printf '%-22s %12s %12s   ratio %s\n' "one call ms (median)" "$om1" "$hm1" \
    "$(python3 -c "print(f'{$om1/$hm1:.2f}')")"
printf '%-22s %12s %12s\n' "first call ms" "$first" \
    "$(printf '%s\n' "${onehere[@]}" | column 1 | head -1)"

echo "== executable (the 32-bit program, as it is handed out)"
size=$(stat -c %s "$program")
printf 'Kestrova.exe %d bytes = %.1f KB (goal <= 350 KB)\n' "$size" "$(python3 -c "print($size/1024)")"
echo "imports: $(i686-w64-mingw32-objdump -p "$program" | awk '/DLL Name:/ {print $3}' | tr '\n' ' ')"
