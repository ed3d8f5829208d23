#!/usr/bin/env bash
# Fuzzes the GXT reader and writer for a given time:
#
#   fuzz/run.sh [SECONDS] [libFuzzer options...]      (SECONDS defaults to 60)
#
# Builds its own clang build folder (build-fuzz/ at the repository's root, or
# $QUILLET_FUZZ_BUILD), makes the seed corpus with our own generator, replays the inputs
# kept in fuzz/regressions/, then fuzzes. New inputs that widen coverage collect in
# fuzz/corpus-work/ (not committed). Exits non-zero on a finding, which is kept in
# <build>/fuzz-findings/, and prints how many inputs were executed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

seconds="${1:-60}"
[ $# -gt 0 ] && shift
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: fuzz/run.sh [SECONDS] [libFuzzer options...]   (SECONDS a whole number from 1 on)" >&2
  exit 2
fi
build="${QUILLET_FUZZ_BUILD:-$root/build-fuzz}"
jobs="$(nproc)"

echo "== Build the fuzz target with clang in $build"
# Warnings show but do not stop the run: clang warns about things GCC does not, and the
# GCC build with -DQUILLET_WERROR=ON is the judge of those; this run is about findings.
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLET_BUILD_FUZZERS=ON -DQUILLET_BUILD_GUI=OFF -DQUILLET_BUILD_TESTS=OFF -DQUILLET_WERROR=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_gxt_roundtrip gxt_seed_corpus
fuzzer="$build/bin/fuzz_gxt_roundtrip"

seeds="$build/fuzz-seeds"
rm -rf "$seeds"
"$build/bin/gxt_seed_corpus" "$seeds"
corpus="$root/fuzz/corpus-work"
findings="$build/fuzz-findings"
mkdir -p "$corpus" "$findings"

# A finding that once stopped a run stays a test of every later run.
shopt -s nullglob
regressions=("$root"/fuzz/regressions/*)
if [ ${#regressions[@]} -gt 0 ]; then
  echo "== Replay ${#regressions[@]} kept inputs"
  "$fuzzer" "${regressions[@]}" >"$build/fuzz-regressions.log" 2>&1 || {
    cat "$build/fuzz-regressions.log" >&2
    echo "fuzz/run.sh: a kept input fails again" >&2
    exit 1
  }
fi

echo "== Fuzz for $seconds seconds"
# libFuzzer checks its time between inputs; -timeout stops a single slow input, and the
# outer timeout stops anything else that would run far past the time asked for. A single
# allocation over 64 MB from an input of a few KB is a finding too.
log="$build/fuzz.log"
rm -f "$build"/fuzz-[0-9]*.log # what workers write under -jobs
rc=0
started=$SECONDS
(cd "$build" && timeout -k 10 $((seconds + 120)) "$fuzzer" \
  -max_total_time="$seconds" -timeout=10 -malloc_limit_mb=64 -rss_limit_mb=2048 \
  -dict="$root/fuzz/gxt.dict" -artifact_prefix="$findings/" -print_final_stats=1 \
  "$@" "$corpus" "$seeds") >"$log" 2>&1 || rc=$?

# Each process reports its own count: the one fuzzer, or every worker under -jobs, whose
# logs the main log then repeats and must not be counted twice.
executed=0
counted=("$build"/fuzz-[0-9]*.log)
[ ${#counted[@]} -eq 0 ] && counted=("$log")
for f in "${counted[@]}"; do
  n="$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$f" | tail -n 1)"
  [ -z "$n" ] && n="$(sed -n 's/^#\([0-9]*\).*/\1/p' "$f" | tail -n 1)"
  executed=$((executed + ${n:-0}))
done
if [ "$rc" -ne 0 ]; then
  tail -n 60 "$log" "$build"/fuzz-[0-9]*.log >&2
  if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    echo "fuzz/run.sh: the fuzzer ran far past $seconds seconds and was stopped" >&2
  else
    echo "fuzz/run.sh: FINDING (exit status $rc); the input is in $findings, the log in $log" >&2
  fi
  echo "Inputs executed: $executed"
  exit 1
fi
grep -hE '^(Done|stat::)' "$log" "$build"/fuzz-[0-9]*.log || true
echo "Inputs executed: $executed in $((SECONDS - started)) seconds, no finding"
