#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer in build-asan (no benchmarks) and runs it. Any report
# fails the test that caused it.
#   CID_SANITIZE_LOCK=FILE   take this lock around each build step (shared machines)
#   CID_SANITIZE_BUILD_ONLY=1  build, do not run
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build-asan
SAN="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
locked() { if [ -n "${CID_SANITIZE_LOCK:-}" ]; then flock "$CID_SANITIZE_LOCK" "$@"; else "$@"; fi; }

locked cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS="-O1 -g1 $SAN" -DCMAKE_CXX_FLAGS="-O1 -g1 $SAN" \
  -DCMAKE_EXE_LINKER_FLAGS="$SAN" -DCMAKE_SHARED_LINKER_FLAGS="$SAN" -DCID_BUILD_BENCH=OFF >/dev/null
# Target by target when a shared lock is asked for, so it is never held for long.
mapfile -t targets < <(cmake --build "$BUILD" --target help | sed -n 's/^\.\.\. \([A-Za-z0-9_.-]*\).*/\1/p' |
  grep -Ev '^(all|clean|depend|edit_cache|rebuild_cache|list_install_components|install.*|package.*|test|.*_autogen.*|.*_other_files)$')
if [ -n "${CID_SANITIZE_LOCK:-}" ]; then
  for t in "${targets[@]}"; do locked cmake --build "$BUILD" -j"$(nproc)" --target "$t"; done
else
  cmake --build "$BUILD" -j"$(nproc)" --target "${targets[@]}"
fi

[ -z "${CID_SANITIZE_BUILD_ONLY:-}" ] || exit 0
export QT_QPA_PLATFORM=offscreen
# No strict string checks: the X keyboard library hands strndup buffers that
# are not terminated, which is allowed, and the strict check flags it there.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0"
locked ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)"
