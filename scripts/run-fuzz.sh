#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a few seconds each, from its seed corpus.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
found=0
for target in "$build"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue # not the moc folder of a target
  found=1
  name=$(basename "$target")
  corpus=$(mktemp -d)
  if [ -d "$root/fuzz/corpus/$name" ]; then cp -r "$root/fuzz/corpus/$name/." "$corpus/"; fi
  echo "fuzz: $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
  rm -rf "$corpus"
done
[ $found -eq 1 ] || echo "fuzz: no targets built"
