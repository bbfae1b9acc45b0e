#!/usr/bin/env bash
# Builds the Debian package from a build tree, installs it on this machine as a till would
# (apt resolves its dependencies), runs the installed demo on its restaurant sale and removes
# the package again. As root, or with sudo.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
cd "$root/$build"
rm -f zel-recebimento_*.deb
cpack -G DEB >/dev/null
deb=$(ls zel-recebimento_*.deb)
echo "check-deb: $deb"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get install -y -qq "./$deb" >/dev/null
trap '$SUDO apt-get remove -y -qq zel-recebimento >/dev/null' EXIT
state=$(mktemp -d)
QT_QPA_PLATFORM=offscreen /usr/bin/pdv-demo --sample restaurant --state "$state" --result "$state/result.json" \
  2> "$state/stderr" || { cat "$state/stderr" >&2; exit 1; }
tail -1 "$state/stderr"
grep -q '"result": true' "$state/result.json" || { echo "check-deb: the installed demo did not settle" >&2; exit 1; }
test -f /usr/include/zel/Pkg_zel.h && test -x /usr/bin/tef-manager-sim
echo "check-deb: installed, the demo settled its sale from /usr/bin"
rm -rf "$state"
