#!/bin/sh
# Builds the document-file fuzzer with clang and runs it for DURATION
# seconds (default 60) on two jobs, starting from fuzz/corpus.
set -e
DURATION=${1:-60}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build-fuzz"
CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCQ_BUILD_FUZZ=ON -DCQ_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target fuzz_documentfile
WORK="$ROOT/fuzz/corpus-work"
mkdir -p "$WORK" "$BUILD/artifacts"
cd "$BUILD/fuzz"
exec ./fuzz_documentfile -max_total_time="$DURATION" -max_len=65536 -rss_limit_mb=1536 \
    -timeout=5 -artifact_prefix="$BUILD/artifacts/" -print_final_stats=1 "$WORK" "$ROOT/fuzz/corpus"
