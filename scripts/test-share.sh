#!/bin/sh
# Share of test lines against code lines (non-blank lines; bench and fuzz excluded).
# Usage: scripts/test-share.sh [repo-root]
cd "${1:-$(dirname "$0")/..}" || exit 1
count() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.cl' \) -print0 | xargs -0 cat | grep -c '[^[:space:]]'; }
code=$(count app panels tools view filters history fileformats document storage compute)
tests=$(count tests)
awk -v t="$tests" -v c="$code" 'BEGIN { printf "code %d  tests %d  share %.1f %%\n", c, t, 100 * t / c }'
