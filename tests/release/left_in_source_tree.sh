#!/usr/bin/env bash
# Whether a test run left anything in the source tree: changed, new or
# ignored files, anywhere but in build/. The state before the run is kept
# in a file; afterwards every entry of `git status` that was not there
# before is printed, and the exit status is 1.
#   tests/release/left_in_source_tree.sh --before STATE_FILE
#   ... the test run ...
#   tests/release/left_in_source_tree.sh --after STATE_FILE
set -euo pipefail
cd "$(dirname "$0")/../.."
mode=$1
state=$2

tree_state() {
    git status --porcelain --ignored --untracked-files=all -- . ':(exclude)build' | sort
}

case "$mode" in
--before)
    tree_state >"$state"
    ;;
--after)
    appeared=$(comm -13 "$state" <(tree_state))
    if [ -n "$appeared" ]; then
        echo "the test run left these in the source tree (git status):"
        echo "$appeared"
        exit 1
    fi
    echo "the test run left nothing in the source tree"
    ;;
*)
    echo "usage: $0 --before|--after STATE_FILE" >&2
    exit 2
    ;;
esac
