#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz/, clang with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each one in turn, at the lowest CPU
# priority, from its seed corpus (tests/fuzz/corpus/<target>/). Fails on the
# first crash, leak, sanitizer report or broken check; the input that did it
# is left as build-fuzz/findings/<target>/crash-*.
#
#   scripts/fuzz.sh                      every target, 20 s each
#   scripts/fuzz.sh --seconds 60 fuzz_ini
#   scripts/fuzz.sh --runs 10000000 --seconds 3600
#                                        a long campaign: stops at 10 million
#                                        executions or an hour, per target
#
# Prints one line per target: executions, libFuzzer's executions per second,
# seconds of wall time (loading the corpus included).
# New inputs found stay in build-fuzz/findings/<target>/corpus (not in the
# repository); copy an interesting one to the seed corpus by hand.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
seconds=20
runs=""
targets=()
while (($#)); do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done
if ((${#targets[@]} == 0)); then
  for d in "$root"/tests/fuzz/corpus/*/; do targets+=("$(basename "$d")"); done
fi

for tool in clang-15 clang++-15; do
  if ! command -v "$tool" >/dev/null; then
    echo "fuzz.sh : $tool manque (scripts/deps.sh --test installe clang-15 et libfuzzer-15-dev)" >&2
    exit 1
  fi
done

echo "== fuzz targets (clang-15, libFuzzer, ASan + UBSan)"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
CC=clang-15 CXX=clang++-15 cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTRA_FUZZ=ON "${launcher[@]}" >/dev/null
nice -n 19 cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
if [[ -z "${ASAN_SYMBOLIZER_PATH:-}" ]] && command -v llvm-symbolizer >/dev/null; then
  export ASAN_SYMBOLIZER_PATH="$(command -v llvm-symbolizer)"
fi
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
for t in "${targets[@]}"; do
  seeds="$root/tests/fuzz/corpus/$t"
  work="$build/findings/$t"
  mkdir -p "$work/corpus"
  limit=(-max_total_time="$seconds")
  if [[ -n "$runs" ]]; then limit+=(-runs="$runs"); fi
  log="$work/last.log"
  start=$(date +%s.%N)
  if nice -n 19 "$build/bin/$t" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$work/" "$work/corpus" "$seeds" >"$log" 2>&1; then
    result="ok"
  else
    result="ÉCHEC"
    status=1
  fi
  end=$(date +%s.%N)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  awk -v t="$t" -v e="${execs:-0}" -v x="${rate:-0}" -v s="$start" -v f="$end" -v r="$result" \
    'BEGIN { printf "%-22s %12d exécutions %9d exéc./s %7.1f s  %s\n", t, e, x, f - s, r }'
  if [[ "$result" != ok ]]; then
    grep -E "ERROR|runtime error|fuzz:|SUMMARY|Test unit written" "$log" | head -20 >&2 || true
    echo "   journal complet : $log" >&2
  fi
done
exit "$status"
