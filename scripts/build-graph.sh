#!/usr/bin/env bash
# Draws the program's library graph (what links what, down to the system
# libraries) into docs/build-graph.svg, from CMake's own view of the targets.
# Tests, benchmarks and generated helper targets are left out.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build-graph
OUT=docs/build-graph.svg
mkdir -p "$BUILD"
cat > "$BUILD/CMakeGraphVizOptions.cmake" <<'OPTIONS'
set(GRAPHVIZ_GRAPH_NAME "Caller ID TestProgramı")
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_CUSTOM_TARGETS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "_autogen" "^GTest" "^benchmark" "Threads::Threads" "cid-make-test-audio"
    "^Qt6::(moc|uic|rcc|Platform)$" "^Qt::" "OpenGL" "^Wrap" "^/")
OPTIONS
cmake -S . -B "$BUILD" -DCID_BUILD_TESTS=OFF -DCID_BUILD_BENCH=OFF --graphviz="$BUILD/targets.dot" >/dev/null
dot -Tsvg -Grankdir=BT "$BUILD/targets.dot" -o "$OUT"
echo "wrote $OUT"
