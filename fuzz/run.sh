#!/usr/bin/env bash
# Builds the entry-point fuzzer with clang and runs it for a bounded time,
# starting from a copy of the seed corpus in fuzz/corpus. Fails on any
# finding: a crash, a leak, undefined behaviour, a broken invariant, an input
# that runs too long or takes too much memory. Findings are kept in
# build/fuzz/run/findings.
#   fuzz/run.sh [seconds]        (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=$PWD/build/fuzz
work=$build/run

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target entry_points_fuzzer

rm -rf "$work"
mkdir -p "$work/corpus" "$work/findings"
cp fuzz/corpus/* "$work/corpus/"

# The fuzzer makes its scratch contest folder under $TMPDIR (default /tmp).
# The platform layer syncs every file it replaces to disk, which on a disk
# costs more than the calls themselves: use memory when it is there.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:print_stacktrace=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Paths are absolute: the fuzzer works in its scratch folder. Standard input
# is not a terminal, so the POSIX dialogs never wait for one. -close_fd_mask=2
# silences the plug-in's messages, not libFuzzer's reports.
status=0
"$build/entry_points_fuzzer" "$work/corpus" \
  -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 -max_len=4096 \
  -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$work/findings/" \
  </dev/null >"$work/fuzz.log" 2>&1 || status=$?

grep -E '^#[0-9]+[[:space:]]+DONE|^stat::|INVARIANT BROKEN|ERROR:|SUMMARY:' "$work/fuzz.log" || true
findings=$(find "$work/findings" -type f | wc -l)
echo "fuzz: exit status $status, corpus $(find "$work/corpus" -type f | wc -l) inputs, $findings findings"
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
  tail -n 60 "$work/fuzz.log"
  exit 1
fi

# zelk's Cabrillo reader: a corpus (fuzz/corpus_cabrillo_reader) and a time
# budget of its own, ZELK_FUZZ_CABRILLO_SECONDS (default: the same seconds).
# Findings are kept in build/fuzz/run-cabrillo_reader/findings.
run_reader_fuzzer() {
  local name=$1 budget=$2 dir=$build/run-$1
  cmake --build "$build" -j2 --target "${name}_fuzzer"
  rm -rf "$dir"
  mkdir -p "$dir/corpus" "$dir/findings"
  cp "fuzz/corpus_$name"/* "$dir/corpus/"
  local code=0
  "$build/${name}_fuzzer" "$dir/corpus" -dict="fuzz/$name.dict" \
    -max_total_time="$budget" -rss_limit_mb=2048 -timeout=30 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$dir/findings/" >"$dir/fuzz.log" 2>&1 || code=$?
  grep -E '^#[0-9]+[[:space:]]+DONE|^stat::|INVARIANT BROKEN|ERROR:|SUMMARY:' "$dir/fuzz.log" || true
  local found
  found=$(find "$dir/findings" -type f | wc -l)
  echo "fuzz $name: exit status $code, corpus $(find "$dir/corpus" -type f | wc -l) inputs, $found findings"
  if [ "$code" -ne 0 ] || [ "$found" -ne 0 ]; then
    tail -n 60 "$dir/fuzz.log"
    exit 1
  fi
}
run_reader_fuzzer cabrillo_reader "${ZELK_FUZZ_CABRILLO_SECONDS:-$seconds}"
