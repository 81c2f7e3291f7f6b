#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent: packages already present are skipped. Runs as root or via sudo.
set -euo pipefail

PACKAGES=(
  # build
  cmake g++ make pkg-config clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6serialport6
  libasound2-dev libjpeg-dev
  # line audio devices: caller-ID decoding, resampling
  libspandsp-dev libsamplerate0-dev
  # recordings in every format phone recorders write (ADPCM, A-law, FLAC)
  libsndfile1-dev
  # the decoding benchmark's peer decoder; regenerating the test recordings
  minimodem espeak-ng sox
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth locales
  # parser tests and fuzzers also run in a zone with daylight saving
  tzdata
  # the start-up benchmark watches the program draw its first frame
  libxdamage-dev
  # free fonts that stand in for the layouts' Windows fonts
  fonts-liberation fonts-dejavu-core fonts-dejavu-extra
  # rendering the artwork sources
  librsvg2-bin imagemagick
  # end-to-end tests read the window over AT-SPI on a private desktop
  dbus at-spi2-core python3-gi gir1.2-atspi-2.0
  # the grid accessibility test switches accessibility on as a screen reader would
  qt6-base-private-dev
  # scripts/build-graph.sh draws the library graph
  graphviz
  # the Debian package and its checks
  dpkg-dev file binutils lintian desktop-file-utils appstream
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The time-text tests read Turkish and US English locales.
need_locales=()
for l in tr_TR.UTF-8 en_US.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qi "^${l%.UTF-8}.utf8$"; then need_locales+=("$l"); fi
done
if [ "${#need_locales[@]}" -gt 0 ]; then
  for l in "${need_locales[@]}"; do
    if ! grep -q "^$l UTF-8" /etc/locale.gen 2>/dev/null; then
      echo "$l UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
  done
  $SUDO locale-gen >/dev/null
fi
echo "Dependencies present."
