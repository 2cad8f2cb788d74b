#!/usr/bin/env bash
# What the rules of an elevated run cost, each beside the same work without the rule, in one
# run (Wine's token is always elevated):
#   scan          start-up's scan with every catalogue library registered (the stand-ins),
#                 the machine's classes read for each registered line, against the scan as
#                 an unelevated run makes it
#   check         MSINET.OCX's path checked per handle (held for its load, its final path,
#                 each object's kind, owner and access list through its own handle up to the
#                 root, the profile) against the check by name it replaced
#   registration  MSINET.OCX loaded, registered and unloaded, with and without being held and
#                 checked per handle first
#   download      the checks and rename of the largest stand-in (1.5 MB) through one held
#                 handle (head, version from the held bytes, Authenticode, link check, rename
#                 by handle), against the same checks by name and a rename by name
#   KESTROVA_HARNESS     the build measured (scripts/bench-env.sh): 32 or 64
#   KESTROVA_BUILD_ROOT  build root (default: build)
#   KESTROVA_BENCH_RUNS  rounds of each, the median printed (default: 15)
# Everything it starts is ended by PID when it returns.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/bench-env.sh
build=$bench_tree
runs=${KESTROVA_BENCH_RUNS:-15}

bench_build elevated_rules_bench kestrova_standins
prefix=$build/wine/$bench_arch
bench_prefix "$prefix" "$bench_arch"
work=$build/bench-elevated
rm -rf "$work"
mkdir -p "$work"
echo "== what the elevated rules add ($bench_build, median of $runs)"
WINEPREFIX=$prefix KESTROVA_STANDINS=$build/standins \
    "$KESTROVA_WINE" "$build/bench/elevated_rules_bench.exe" "$(bench_winpath "$work")" "$runs"
rm -rf "$work"
