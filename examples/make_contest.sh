#!/bin/sh
# Re-makes the example contest: examples/contest/ (ten entrants' Cabrillo
# logs and one ADIF export sent instead of a log) and its truth,
# examples/contest-truth.tsv, the status the organiser's check must give
# every QSO line. The first line of the truth file is the command that made
# it (a test holds the example to it).
#
#     cmake --build --preset native --target zelk-contest-sim
#     examples/make_contest.sh [path/to/zelk-contest-sim]
#
# Every fault kind of the check's own rules but one is in it: a resubmitted
# log is told from its older version by the files' times, which git does not
# keep, so the example has none (zelk-contest-sim makes one by default). The
# faults of the organiser's rules (--organiser-rules: contacts out of the
# period, categories, clocks off, logs of another contest) and the shapes
# real logs hold (--real-log-shapes: unreadable lines, frequencies in no
# band, portable and near calls ...) are not in it; its truth gives each
# entrant's category, checked score, place and unreadable lines all the
# same.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
sim=${1:-$here/../build/native/tools/contest_sim/zelk-contest-sim}
rm -rf "$here/contest"
"$sim" --seed 12 --stations 16 --logs 10 --qsos 12 --faults 1 --resubmissions 0 \
    --out "$here/contest" --truth "$here/contest-truth.tsv"
