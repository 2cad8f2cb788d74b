#!/usr/bin/env bash
# Runs every parser of outside bytes under libFuzzer (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer), each for SECONDS (default 300), from its seeds in
# fixtures/fuzz/TARGET, and prints per target its executions, its coverage and its crashes.
# A crash keeps its input under BUILD/fuzz/run/TARGET/crashes, is printed, and fails the
# script; copied into fixtures/fuzz/TARGET it is replayed by every later run.
#   KESTROVA_BUILD_ROOT  where the build goes (default: build)
# Native x86_64: it needs no Wine and no 32-bit support.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
build=$(realpath -m "${KESTROVA_BUILD_ROOT:-build}")

cmake --preset fuzz -B "$build/fuzz" >/dev/null
cmake --build "$build/fuzz" -j 2 >/dev/null

targets=(version_resource library_image publisher_signature parse_version command_line)
failed=0
lines=()
for target in "${targets[@]}"; do
    work=$build/fuzz/run/$target
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/crashes"
    set +e
    # New inputs go to the run's own corpus; the committed seeds are only read.
    "$build/fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$work/crashes/" \
        "$work/corpus" "fixtures/fuzz/$target" >"$work/log" 2>&1
    status=$?
    set -e
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
    coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$work/log" | tail -1 || true)
    crashes=$(find "$work/crashes" -type f | wc -l)
    if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ]; then
        failed=1
        tail -40 "$work/log" >&2
        find "$work/crashes" -type f -printf '  kept: %p\n' >&2
    fi
    lines+=("$(printf '%-20s %10s executions, %-22s %d crashes (exit %d)' "$target" \
        "${execs:-?}" "${coverage:-cov: ?}," "$crashes" "$status")")
done

echo "Fuzzing, $seconds s per target:"
printf '  %s\n' "${lines[@]}"
exit $failed
