#!/usr/bin/env bash
# Start-up time and memory of the program beside a bare Qt window of the
# same size, both watched from outside under a private X server: the time
# from exec to the first frame drawn into the window, and the resident
# memory one second after it. Runs alternate between the two; one unmeasured
# run of each warms the file cache first. Prints every run, the medians and
# the ratios.
#
#   bench/startup/startup_bench.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to build (targets callerid-test, first_paint_watch and
# bare_window); RUNS to 9. PROGRAM=path measures another build of the program
# against the same bare window.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-9}
program=${PROGRAM:-$build/app/callerid-test}
watch=$build/bench/startup/first_paint_watch
bare=$build/bench/startup/bare_window
for f in "$program" "$watch" "$bare"; do
  [ -x "$f" ] || { echo "missing $f: build it first" >&2; exit 1; }
done

tmp=$(mktemp -d)
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.05
done
[ -s "$tmp/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$tmp/display")"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset CID_TEST_WIDGET_DUMP

field() { sed -n "s/.*\b$1=\([0-9.-]*\).*/\1/p"; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Warm-up, which also gives the size of the program's window.
first=$("$watch" -- "$program")
width=$(field width <<<"$first")
height=$(field height <<<"$first")
"$watch" -- "$bare" "$width" "$height" >/dev/null

echo "window ${width}x${height}, $runs runs each, DISPLAY=$DISPLAY"
printf '%-8s %4s %10s %10s %10s\n' side run map_ms paint_ms rss_kb
for i in $(seq "$runs"); do
  for side in program bare; do
    if [ "$side" = program ]; then line=$("$watch" -- "$program"); else line=$("$watch" -- "$bare" "$width" "$height"); fi
    echo "$line" >>"$tmp/$side"
    printf '%-8s %4d %10s %10s %10s\n' "$side" "$i" "$(field map_ms <<<"$line")" "$(field paint_ms <<<"$line")" \
      "$(field rss_kb <<<"$line")"
  done
done

for side in program bare; do
  for k in map_ms paint_ms rss_kb; do
    printf -v "${side}_${k}" '%s' "$(field "$k" <"$tmp/$side" | median)"
  done
done
echo
echo "medians            map_ms   paint_ms   rss_MB"
awk -v pm="$program_map_ms" -v pp="$program_paint_ms" -v pr="$program_rss_kb" \
    -v bm="$bare_map_ms" -v bp="$bare_paint_ms" -v br="$bare_rss_kb" 'BEGIN {
  printf "program        %10.1f %10.1f %8.1f\n", pm, pp, pr / 1024
  printf "bare window    %10.1f %10.1f %8.1f\n", bm, bp, br / 1024
  printf "program/bare   %10.2f %10.2f   %+6.1f MB\n", pm / bm, pp / bp, (pr - br) / 1024
}'
