#!/usr/bin/env bash
# The main job: the demo host on its built-in restaurant sale with simulated devices. With a
# display it opens the real window; without one it runs the sale with its operator script
# offscreen and prints the result document.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/$build/demo/pdv-demo"
if [ ! -x "$demo" ]; then
  echo "run-demo: $demo is not built" >&2
  exit 1
fi
shift || true
exec "$demo" "$@"
