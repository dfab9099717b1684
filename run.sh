#!/usr/bin/env bash
# Builds a release build of Chromaquill and starts it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCQ_BUILD_TESTS=ON >/dev/null
cmake --build build -j2 --target chromaquill cqtool
exec build/chromaquill "$@"
