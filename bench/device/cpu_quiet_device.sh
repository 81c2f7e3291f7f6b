#!/usr/bin/env bash
# CPU use of the program with a quiet caller-ID device attached, over a
# period (default 60 s), next to the same program without a device measured
# over the same period (the baseline). Usage:
#   bench/device/cpu_quiet_device.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD="${1:-build}"
PERIOD="${2:-60}"
PROGRAM="$BUILD/app/callerid-test"
SIMULATOR="$BUILD/tools/cid-simulator"

with=$(mktemp -d); without=$(mktemp -d)
chmod 700 "$with" "$without"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$with" "$without"
}
trap cleanup EXIT

# A quiet unit: answers the program's probes, reports nothing by itself.
XDG_RUNTIME_DIR="$with" "$SIMULATOR" --script /dev/null --name quiet --serial QUIET001 >/dev/null &
pids+=($!)
sleep 0.5
XDG_RUNTIME_DIR="$with" QT_QPA_PLATFORM=offscreen "$PROGRAM" 2>/dev/null &
app_with=$!; pids+=($app_with)
XDG_RUNTIME_DIR="$without" QT_QPA_PLATFORM=offscreen "$PROGRAM" 2>/dev/null &
app_without=$!; pids+=($app_without)
sleep 3  # start-up is not what we measure

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
a0=$(ticks $app_with); b0=$(ticks $app_without)
sleep "$PERIOD"
a1=$(ticks $app_with); b1=$(ticks $app_without)
hz=$(getconf CLK_TCK)

awk -v a=$((a1 - a0)) -v b=$((b1 - b0)) -v hz="$hz" -v s="$PERIOD" 'BEGIN {
  pa = 100 * a / (hz * s); pb = 100 * b / (hz * s);
  printf "CPU over %d s, in %% of one core (resolution %.3f %%):\n", s, 100 / (hz * s);
  printf "  with a quiet device      %7.3f %%  (%d ticks)\n", pa, a;
  printf "  without a device (base)  %7.3f %%  (%d ticks)\n", pb, b;
  if (b > 0) printf "  ratio with / without     %7.2f\n", a / b;
  else printf "  ratio with / without     n/a (baseline below resolution)\n";
}'
