#!/usr/bin/env bash
# Builds the parser fuzz targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, default 60), half of it in UTC and half in a zone with
# daylight saving, whose skipped hour has caught date handling before.
# Fails when a target finds a crash.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${FUZZ_SECONDS:-60}"
BUILD=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCID_BUILD_FUZZ=ON \
  -DCID_BUILD_TESTS=OFF -DCID_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target native_unit_parser_fuzz modem_parser_fuzz wav_header_fuzz public_format_parser_fuzz
for target in native_unit_parser modem_parser wav_header public_format_parser; do
  corpus="$BUILD/fuzz/corpus-$target"
  mkdir -p "$corpus" "$BUILD/fuzz/artifacts"
  seeds="fuzz/corpus/${target%_parser}"
  for zone in UTC Europe/Berlin; do
    echo "Fuzzing $target for $((SECONDS_EACH / 2))s in $zone"
    TZ="$zone" "$BUILD/fuzz/${target}_fuzz" "$corpus" "$seeds" -max_total_time="$((SECONDS_EACH / 2))" \
      -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$BUILD/fuzz/artifacts/${target}-" 2>&1 | tail -n 12
  done
done
