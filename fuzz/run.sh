#!/usr/bin/env bash
# Builds the fuzzers with clang and runs each for a bounded time, starting
# from a copy of its seeds: entry_points_fuzzer from fuzz/corpus,
# adif_reader_fuzzer from the ADIF fixtures of tests/zelk and fuzz/corpus_adif_reader
# (with fuzz/adif.dict),
# cabrillo_reader_fuzzer from fuzz/corpus_cabrillo_reader (with
# fuzz/cabrillo_reader.dict), adjudication_fuzzer from fuzz/corpus_adjudication
# (with the same dictionary), report_page_fuzzer (the contest report) from
# fuzz/report_corpus, rules_files_fuzzer (zelk adjudicate's rules file and
# decisions file) from the examples' (with fuzz/rules_files.dict),
# serve_upload_fuzzer (zelk serve's upload handling) from fuzz/corpus_serve
# (with the Cabrillo dictionary), serve_request_fuzzer (zelk serve's reading
# of a request off the wire) from fuzz/corpus_serve_request (with
# fuzz/http.dict), mail_message_fuzzer (the log robot's reading of a
# message) from fuzz/corpus_mail.
# The two small readers, ADIF and the rules files, share one fuzzer's time,
# half each, and so do the two of zelk serve; the whole run takes seven
# times the seconds given.
# Fails on any finding: a crash, a leak, undefined behaviour, a broken
# invariant, an input that runs too long or takes too much memory. Findings
# are kept in build/fuzz/run/<fuzzer>/findings.
#   fuzz/run.sh [seconds per fuzzer]        (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=$PWD/build/fuzz
work=$build/run

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target entry_points_fuzzer adif_reader_fuzzer \
  cabrillo_reader_fuzzer adjudication_fuzzer report_page_fuzzer rules_files_fuzzer \
  serve_upload_fuzzer serve_request_fuzzer mail_message_fuzzer
rm -rf "$work"

# The entry-point fuzzer makes its scratch contest folder under $TMPDIR
# (default /tmp). The platform layer syncs every file it replaces to disk,
# which on a disk costs more than the calls themselves: use memory when it is
# there.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:print_stacktrace=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

status=0
# run_fuzzer NAME SECONDS "OPTIONS" SEED...
# Paths are absolute: the entry-point fuzzer works in its scratch folder.
# Standard input is not a terminal, so the POSIX dialogs never wait for one.
run_fuzzer() {
  local name=$1 time=$2 options=$3
  shift 3
  local dir=$work/$name fuzzer_status=0
  mkdir -p "$dir/corpus" "$dir/findings"
  cp "$@" "$dir/corpus/"
  # shellcheck disable=SC2086  # the options are words
  "$build/$name" "$dir/corpus" \
    -max_total_time="$time" -rss_limit_mb=2048 -timeout=30 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$dir/findings/" $options \
    </dev/null >"$dir/fuzz.log" 2>&1 || fuzzer_status=$?

  grep -E '^#[0-9]+[[:space:]]+DONE|^stat::|INVARIANT BROKEN|ERROR:|SUMMARY:' "$dir/fuzz.log" || true
  local findings
  findings=$(find "$dir/findings" -type f | wc -l)
  echo "fuzz $name: exit status $fuzzer_status, corpus $(find "$dir/corpus" -type f | wc -l) inputs, $findings findings"
  if [ "$fuzzer_status" -ne 0 ] || [ "$findings" -ne 0 ]; then
    tail -n 60 "$dir/fuzz.log"
    status=1
  fi
}

# -close_fd_mask=2 silences the plug-in's messages, not libFuzzer's reports.
run_fuzzer entry_points_fuzzer "$seconds" "-close_fd_mask=2" fuzz/corpus/*
run_fuzzer adif_reader_fuzzer $(((seconds + 1) / 2)) "-dict=$PWD/fuzz/adif.dict" \
  tests/zelk/fixtures/*.adi tests/zelk/fixtures/awkward/*.adi fuzz/corpus_adif_reader/*
run_fuzzer rules_files_fuzzer $((seconds > 1 ? seconds / 2 : 1)) "-dict=$PWD/fuzz/rules_files.dict" \
  examples/contest.toml examples/overrides.csv
run_fuzzer cabrillo_reader_fuzzer "$seconds" "-dict=$PWD/fuzz/cabrillo_reader.dict" \
  fuzz/corpus_cabrillo_reader/*
run_fuzzer adjudication_fuzzer "$seconds" "-dict=$PWD/fuzz/cabrillo_reader.dict" \
  fuzz/corpus_adjudication/*
# Its models grow with the input: all lengths from the start.
run_fuzzer report_page_fuzzer "$seconds" "-len_control=0" fuzz/report_corpus/*
run_fuzzer serve_upload_fuzzer $(((seconds + 1) / 2)) "-dict=$PWD/fuzz/cabrillo_reader.dict" \
  fuzz/corpus_serve/*
run_fuzzer serve_request_fuzzer $((seconds > 1 ? seconds / 2 : 1)) "-dict=$PWD/fuzz/http.dict" \
  fuzz/corpus_serve_request/*
run_fuzzer mail_message_fuzzer "$seconds" "" fuzz/corpus_mail/*
exit $status
