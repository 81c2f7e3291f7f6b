#!/usr/bin/env bash
# Regenerates the line recordings in tests/data/audio: caller-ID calls from
# the generator (spandsp's transmitters) and a short Turkish speech sample
# (espeak-ng, resampled with sox) for the talk-off tests. bell-noisy-lucky-sum.wav
# is kept as recorded from the audio simulator's noisy line, not regenerated.
set -euo pipefail
cd "$(dirname "$0")/.."
out=tests/data/audio
cmake --build build -j2 --target cid-make-test-audio
build/tools/audio/cid-make-test-audio "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
espeak-ng -v tr -s 150 -w "$tmp/speech.wav" \
  "Merhaba, lütfen bir saat sonra tekrar arayın, hattı deniyoruz."
sox "$tmp/speech.wav" -r 8000 -c 1 -b 16 -e signed-integer "$out/speech-tr.wav"
echo "Written to $out."
