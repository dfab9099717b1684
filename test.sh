#!/usr/bin/env bash
# Builds and runs the test suite through ctest.
#   ./test.sh          release build, whole suite
#   ./test.sh asan     AddressSanitizer + UndefinedBehaviorSanitizer, whole suite
#   ./test.sh tsan     ThreadSanitizer, the scratch-store, history and filter tests
# Extra arguments go to ctest (for example -R compute).
set -euo pipefail
cd "$(dirname "$0")"
mode="${1:-release}"
[ $# -gt 0 ] && shift
scripts/install-deps.sh
case "$mode" in
  release) dir=build; flags=(-DCMAKE_BUILD_TYPE=Release -DCQ_BUILD_BENCH=ON) ;;  # benchmarks built so they never rot
  asan)    dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCQ_SANITIZE=ON)
           # use_sigaltstack=0: LLVM, loaded by the OpenCL driver on the start-up
           # worker, gives that thread an alternate signal stack from malloc, and
           # the sanitizer stops when it cannot unmap it as the thread ends.
           export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_odr_violation=0:use_sigaltstack=0"
           export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
           export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$PWD/scripts/ubsan.supp" ;;
  tsan)    dir=build-tsan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCQ_TSAN=ON)
           export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp" ;;
  *) echo "usage: $0 [release|asan|tsan] [ctest args]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" "${flags[@]}" -DCQ_BUILD_TESTS=ON >/dev/null
cmake --build "$dir" -j2
cd "$dir"
if [ "$mode" = tsan ]; then
  exec ctest --output-on-failure -L 'storage|history|filters' "$@"
fi
exec ctest --output-on-failure "$@"
