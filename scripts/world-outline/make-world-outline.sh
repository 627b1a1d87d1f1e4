#!/bin/sh
# Makes data/world-outline/world_outline_data.inc, the world outline that
# zelk draws its maps on, from the pinned npm packages of package-lock.json
# (installed into a temporary folder, never into the source tree). Run it once
# after changing the conversion; the output is committed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
output=$here/../../data/world-outline/world_outline_data.inc
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/package.json" "$here/package-lock.json" "$here/make-world-outline.mjs" "$work/"
(cd "$work" && npm ci --no-audit --no-fund --loglevel=error && node make-world-outline.mjs "$work/out.inc")
mv "$work/out.inc" "$output"
ls -l "$output"
