#!/usr/bin/env bash
# Fails when a C++ file is not formatted as .clang-format says; lists them.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror 2>/tmp/cid-format.$$; then
  grep -E "(warning|error):" /tmp/cid-format.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  rm -f /tmp/cid-format.$$
  echo "Run: git ls-files '*.cpp' '*.h' | xargs clang-format -i" >&2
  exit 1
fi
rm -f /tmp/cid-format.$$
echo "Formatting: every C++ file as .clang-format says."
