#!/usr/bin/env bash
# The house rules a change must keep, checked before anything is built:
#   1. every C++ file is formatted as .clang-format says;
#   2. no product unit outside package/ includes the host header zel/Pkg_zel.h (units call one
#      another as C++ functions; package/ alone exports the C entry points);
#   3. the project's libraries link one another without a circle.
set -euo pipefail
cd "$(dirname "$0")/.."
failed=0

echo "check: formatting"
if ! git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror 2>/tmp/zel-format.$$; then
  grep -E "^[^ ].*(warning|error):" /tmp/zel-format.$$ | sed 's/:[0-9]*:[0-9]*: .*//' | sort -u | sed 's/^/  not formatted: /'
  echo "  run: git ls-files '*.cpp' '*.h' | xargs clang-format -i"
  failed=1
fi
rm -f /tmp/zel-format.$$

echo "check: the host header stays in package/"
if offenders=$(git grep -l '#include "zel/Pkg_zel.h"' -- receipt cheque consumer taxpayer services simulator); then
  echo "$offenders" | sed 's/^/  includes zel\/Pkg_zel.h: /'
  failed=1
fi

echo "check: no circle among the libraries"
graph=$(mktemp -d)
cmake -S . -B "$graph/build" -G Ninja -DZEL_TESTS=OFF -DZEL_BENCH=OFF --graphviz="$graph/zel.dot" >/dev/null
# Edges between the project's own libraries (zel_*, Pkg_zel), as "from to" pairs for tsort,
# which names a circle when it finds one.
sed -n 's/^ *"\(node[0-9]*\)" \[ label = "\([^"]*\)".*/\1 \2/p' "$graph/zel.dot" >"$graph/names"
sed -n 's/^ *"\(node[0-9]*\)" -> "\(node[0-9]*\)".*/\1 \2/p' "$graph/zel.dot" |
  awk 'NR==FNR { name[$1] = $2; next } { a = name[$1]; b = name[$2];
       if (a ~ /^(zel_|Pkg_zel$)/ && b ~ /^(zel_|Pkg_zel$)/) print a, b }' "$graph/names" - >"$graph/edges"
if ! tsort "$graph/edges" >/dev/null 2>"$graph/loops"; then
  sed 's/^/  /' "$graph/loops"
  failed=1
fi
echo "  $(wc -l <"$graph/edges") links among $(tr ' ' '\n' <"$graph/edges" | sort -u | wc -l) libraries"
rm -rf "$graph"

exit $failed
