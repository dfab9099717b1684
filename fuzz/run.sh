#!/bin/sh
# Builds a fuzzer with clang and runs it for DURATION seconds (default 60),
# starting from its corpus:
#   fuzz/run.sh [documentfile|brushset] [DURATION]
# (a number alone is taken as the duration of the document-file fuzzer).
set -e
TARGET=documentfile
case "$1" in
  documentfile|brushset) TARGET=$1; shift ;;
esac
DURATION=${1:-60}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build-fuzz"
case "$TARGET" in
  documentfile) CORPUS="$ROOT/fuzz/corpus"; MAXLEN=65536 ;;
  brushset) CORPUS="$ROOT/fuzz/corpus-brushes"; MAXLEN=16384 ;;
esac
CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCQ_BUILD_FUZZ=ON -DCQ_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target "fuzz_$TARGET"
WORK="$ROOT/fuzz/corpus-work/$TARGET"
mkdir -p "$WORK" "$BUILD/artifacts"
cd "$BUILD/fuzz"
exec "./fuzz_$TARGET" -max_total_time="$DURATION" -max_len="$MAXLEN" -rss_limit_mb=1536 \
    -timeout=5 -artifact_prefix="$BUILD/artifacts/" -print_final_stats=1 "$WORK" "$CORPUS"
