#!/usr/bin/env bash
# Builds the Debian package into build/package/ (cpack -G DEB) and prints its
# path. Reuses build/ (configured as scripts/build.sh does) and builds only
# what the package holds.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target callerid-test cid-simulator cid-device-link cid-line-check \
  cid_packaging_files
rm -f build/package/*.deb
(cd build && cpack -G DEB >/dev/null)
ls build/package/*.deb
