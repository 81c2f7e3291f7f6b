#!/usr/bin/env bash
# Start-up time and memory of the program beside a bare Qt window of the
# same size, all watched from outside under a private X server: the time from
# exec to the first frame drawn into the window, the processor time the
# process had used by then (all its threads), and the resident memory one
# second after it. A third side, the bare window showing one line of text,
# shows what any window with text costs over an empty one; a fourth, the
# program's own window layouts in plain Qt widgets (plain_window), shows what
# the toolkit needs for this very window. Runs go round the
# sides in turn; one unmeasured run of each warms the file cache first.
# Prints every run, the medians and the ratios to the bare window and to the
# plain window.
#
#   bench/startup/startup_bench.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to build (targets callerid-test, first_paint_watch,
# bare_window and plain_window); RUNS to 15. PROGRAM="path [path...]" measures other builds
# of the program, each as a side of its own, against the same baselines.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-15}
read -r -a programs <<<"${PROGRAM:-$build/app/callerid-test}"
watch=$build/bench/startup/first_paint_watch
bare=$build/bench/startup/bare_window
plain=$build/bench/startup/plain_window
for f in "${programs[@]}" "$watch" "$bare" "$plain"; do
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

field() { sed -n "s/.*\b$1=\([0-9.-]*\).*/\1/p"; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Warm-up, which also gives the size of the program's window.
first=$("$watch" -- "${programs[0]}")
width=$(field width <<<"$first")
height=$(field height <<<"$first")

sides=(bare text plain)
for i in "${!programs[@]}"; do sides+=("program$((i + 1))"); done
run() { # side
  case $1 in
    bare) "$watch" -- "$bare" "$width" "$height" ;;
    text) "$watch" -- "$bare" "$width" "$height" "Çağrı sayısı : 0" ;;
    plain) "$watch" -- "$plain" ;;
    *) "$watch" -- "${programs[${1#program} - 1]}" ;;
  esac
}
for s in "${sides[@]}"; do run "$s" >/dev/null; done

echo "window ${width}x${height}, $runs runs each, DISPLAY=$DISPLAY"
for i in "${!programs[@]}"; do echo "program$((i + 1)) = ${programs[$i]}"; done
printf '%-9s %4s %10s %10s %10s %10s\n' side run map_ms paint_ms cpu_ms rss_kb
for r in $(seq "$runs"); do
  for s in "${sides[@]}"; do
    line=$(run "$s")
    echo "$line" >>"$tmp/$s"
    printf '%-9s %4d %10s %10s %10s %10s\n' "$s" "$r" "$(field map_ms <<<"$line")" \
      "$(field paint_ms <<<"$line")" "$(field cpu_ms <<<"$line")" "$(field rss_kb <<<"$line")"
  done
done

echo
printf '%-9s %10s %10s %8s %12s %12s %10s %12s %12s %10s\n' medians paint_ms cpu_ms rss_MB "paint/bare" "cpu/bare" \
  "rss-bare" "paint/plain" "cpu/plain" "rss-plain"
med() { field "$1" <"$tmp/$2" | median; }
for s in "${sides[@]}"; do
  printf '%s %s %s %s %s %s %s %s %s %s\n' "$s" "$(med paint_ms "$s")" "$(med cpu_ms "$s")" "$(med rss_kb "$s")" \
    "$(med paint_ms bare)" "$(med cpu_ms bare)" "$(med rss_kb bare)" \
    "$(med paint_ms plain)" "$(med cpu_ms plain)" "$(med rss_kb plain)"
done | awk '{ printf "%-9s %10.1f %10.1f %8.1f %12.2f %12.2f %+7.1f MB %12.2f %12.2f %+7.1f MB\n", $1, $2, $3, $4 / 1024,
  $2 / $5, $3 / $6, ($4 - $7) / 1024, $2 / $8, $3 / $9, ($4 - $10) / 1024 }'
