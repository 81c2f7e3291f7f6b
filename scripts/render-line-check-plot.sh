#!/usr/bin/env bash
# Renders the line check's pictures in docs/screenshots/, by hand after
# changing the plot, then commit them:
#  - line-check-plot.png: cid-line-check --plot on what the audio simulator
#    plays on a two-line sound card, a good call on line 1 and a call with a
#    weak burst on line 2 (the simulator plays in real time, about 10 s);
#  - line-check-night.png: the overview of a made-up night, four hours of two
#    lines with a ring cycle every five minutes and the simulator's faults;
#  - line-check-failure.png: one failed cycle of that night as --keep keeps it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j2 --target cid-simulator cid-line-check night-recording
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
build/tools/cid-line-check --seconds 8 --plot docs/screenshots/line-check-plot.png "$(readlink -f "$tmp/audio-plot")" >/dev/null

faults="none/none/no-cid/none/fast-clock/none/none/hum/none/weak/none/none/noisy/none/early/none"
build/tests/tools/night-recording "$tmp/gece.wav" 2 14400 300 "$faults"
build/tools/cid-line-check --plot "$tmp/gece.png" --keep "$tmp/kept" "$tmp/gece.wav" >/dev/null 2>&1
cp "$tmp/gece.png" docs/screenshots/line-check-night.png
cp "$(ls "$tmp"/kept/*off_speed.png | head -1)" docs/screenshots/line-check-failure.png
echo "Written to docs/screenshots/line-check-{plot,night,failure}.png."
