#!/bin/sh
# Builds a fuzzer with clang and runs it for DURATION seconds (default 60) on
# two jobs, starting from its corpus:
#   fuzz/run.sh [documentfile|imageimport|brushset|ora] [DURATION]
set -e
TARGET=${1:-documentfile}
DURATION=${2:-60}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build-fuzz"
case "$TARGET" in
  documentfile) CORPUS="$ROOT/fuzz/corpus" ;;
  imageimport)  CORPUS="$ROOT/fuzz/corpus-images" ;;
  brushset)     CORPUS="$ROOT/fuzz/corpus-brushes" ;;
  ora)          CORPUS="$ROOT/fuzz/corpus-ora" ;;
  *) echo "usage: $0 [documentfile|imageimport|brushset|ora] [seconds]" >&2; exit 2 ;;
esac
CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCQ_BUILD_FUZZ=ON -DCQ_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target "fuzz_$TARGET"
WORK="$ROOT/fuzz/corpus-work/$TARGET"
mkdir -p "$WORK" "$BUILD/artifacts"
cd "$BUILD/fuzz"
# One-time allocations of the font and GPU libraries are not ours to free.
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
exec "./fuzz_$TARGET" -max_total_time="$DURATION" -max_len=65536 -rss_limit_mb=2560 \
    -timeout=10 -artifact_prefix="$BUILD/artifacts/" -print_final_stats=1 "$WORK" "$CORPUS"
