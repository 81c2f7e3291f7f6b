#!/usr/bin/env bash
# Starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
exec build/app/callerid-test "$@"
