#!/bin/sh
# bench_filterwindow before and after: the benchmark source of this tree
# built against another build (another checkout's release build, read
# only), then both run in turn on the same machine.
# Usage: filterwindow_compare.sh THIS_BUILD OTHER_BUILD
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
this=$1 other=$2
src=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$other/CMakeCache.txt")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
qt="-I/usr/include/x86_64-linux-gnu/qt6 -I/usr/include/x86_64-linux-gnu/qt6/QtCore"
qt="$qt -I/usr/include/x86_64-linux-gnu/qt6/QtGui -I/usr/include/x86_64-linux-gnu/qt6/QtWidgets"
dirs=""
for d in app panels tools view filters history fileformats document storage compute; do dirs="$dirs -I$src/$d"; done
c++ -std=gnu++20 -O2 -fPIC -DCL_TARGET_OPENCL_VERSION=120 -DQT_NO_DEBUG $qt -I"$src" $dirs \
    -c "$here/bench/bench_filterwindow.cpp" -o "$out/bench.o"
res=$(ls "$other"/CMakeFiles/cqcore_resources_*.dir/cqcore_resources_*_autogen/mocs_compilation.cpp.o \
         "$other"/CMakeFiles/cqcore_resources_*.dir/build/.rcc/*.cpp.o)
c++ "$out/bench.o" -o "$out/bench_other" $res "$other/libcqcore.a" -lQt6Widgets -lQt6Gui -lQt6Core \
    -lGLX -lOpenGL -lOpenCL -lpng -lz -ldeflate -lzip
echo "== before: $src ($(git -C "$src" rev-parse --short HEAD)); load $(cut -d' ' -f1-3 /proc/loadavg)"
"$out/bench_other"
echo "== after: $here ($(git -C "$here" rev-parse --short HEAD)); load $(cut -d' ' -f1-3 /proc/loadavg)"
"$this/bench/bench_filterwindow"
