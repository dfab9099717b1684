#!/bin/sh
# Per-call cost of `cqtool filter` seen from outside: the time of --repeat N
# less that of --repeat 1, over N - 1; wall and processor time (all threads),
# each the median of three. Usage: cqtool_repeat.sh CQTOOL IMAGE [N]
set -eu
tool=$1 image=$2 n=${3:-11}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# "wall cpu" in ms for one run
one() { /usr/bin/time -f '%e %U %S' -o "$out/t" "$tool" filter "$image" "$out/o.png" "$@" >/dev/null
        awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' "$out/t"; }
med() { sort -n | sed -n 2p; }
run() {
    one "$@" --repeat 1 >"$out/a1"; one "$@" --repeat 1 >>"$out/a1"; one "$@" --repeat 1 >>"$out/a1"
    one "$@" --repeat "$n" >"$out/b1"; one "$@" --repeat "$n" >>"$out/b1"; one "$@" --repeat "$n" >>"$out/b1"
    wa=$(cut -d' ' -f1 "$out/a1" | med); ca=$(cut -d' ' -f2 "$out/a1" | med)
    wb=$(cut -d' ' -f1 "$out/b1" | med); cb=$(cut -d' ' -f2 "$out/b1" | med)
    printf '%-48s wall %6.1f  cpu %6.1f ms a call\n' "$*" "$(echo "($wb - $wa) / ($n - 1)" | bc -l)" \
        "$(echo "($cb - $ca) / ($n - 1)" | bc -l)"
}
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
run "Blurs/Gaussian" radius=10
run "Blurs/Box" size=101
run "Invert Colors"
run "Image Adjust/Grayscale"
run "Image Adjust/Color Substitute" hue=90 saturation=20 lightness=-10
