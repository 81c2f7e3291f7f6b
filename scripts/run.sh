#!/usr/bin/env bash
# Starts the program with a simulated 4-line caller-ID unit attached (demo
# mode: quiet levels, a ringing burst and a call every few seconds). With
# --audio as the first argument the simulated device is a two-line sound
# card instead (a live WAV stream decoded by the program); `--audio --fault
# LIST` gives its lines faults (weak, noisy, hum, fast-clock, other-standard,
# early, no-cid: see cid-simulator --help) to show each diagnosis. The simulator
# stops when the program exits. Real devices, if declared, are found as well.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--audio" ]; then
  shift
  faults=()
  if [ "${1:-}" = "--fault" ]; then
    faults=(--fault "$2")
    shift 2
  fi
  build/tools/cid-simulator --audio --lines 2 --name demo-$$ "${faults[@]}" >/dev/null &
else
  build/tools/cid-simulator --lines 4 --name demo-$$ --serial DEMO0004 >/dev/null &
fi
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true' EXIT
build/app/callerid-test "$@"
