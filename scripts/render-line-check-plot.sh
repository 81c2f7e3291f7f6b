#!/usr/bin/env bash
# Renders docs/screenshots/line-check-plot.png: cid-line-check --plot on what
# the audio simulator plays on a two-line sound card, a good call on line 1
# and a call with a weak burst on line 2. Run by hand after changing the plot,
# then commit the picture. The simulator plays in real time (about 10 s).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j2 --target cid-simulator cid-line-check
tmp="$(mktemp -d)"
cleanup() {
  [ -n "${sim:-}" ] && kill "$sim" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
cat >"$tmp/calls" <<'CALLS'
wait 1000
call 1 02125550123 Şükrü Çağlayan
fault weak
call 2 05321234567
wait 30000
CALLS
build/tools/cid-simulator --audio --lines 2 --dir "$tmp" --name plot --script "$tmp/calls" >/dev/null &
sim=$!
for _ in $(seq 50); do [ -e "$tmp/audio-plot" ] && break; sleep 0.1; done
build/tools/cid-line-check --seconds 8 --plot docs/screenshots/line-check-plot.png "$(readlink -f "$tmp/audio-plot")"
echo "Written to docs/screenshots/line-check-plot.png."
