#!/bin/sh
# Start-up to a visible main window on an X server: from starting the editor
# to its main window being mapped, each editor in turn, N rounds (default 7),
# then the median of each (a run that never showed counts as 99999). Throw-away
# settings and temporary folders, as on a first run; each run ends with
# SIGTERM, as a session ends it.
# Usage (on a display, such as under xvfb-run -a): startup_visible.sh EDITOR [EDITOR ...]
set -eu
rounds=${ROUNDS:-7}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
now() { date +%s%N; }
one() {
    home=$(mktemp -d -p "$out")
    mkdir -p "$home/tmp"
    start=$(now)
    XDG_CONFIG_HOME=$home XDG_DATA_HOME=$home/data TMPDIR=$home/tmp QT_QPA_PLATFORM=xcb "$1" >/dev/null 2>&1 &
    pid=$!
    shown=""
    while [ -z "$shown" ]; do
        if xdotool search --onlyvisible --pid "$pid" --name '^Chromaquill' >/dev/null 2>&1; then
            shown=$(( ($(now) - start) / 1000000 ))
        elif [ $(( ($(now) - start) / 1000000 )) -gt 20000 ]; then
            shown=timeout
        fi
    done
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "$shown"
}
i=0
for editor in "$@"; do : >"$out/times$i"; i=$((i + 1)); done
r=0
while [ $r -lt "$rounds" ]; do
    i=0
    for editor in "$@"; do one "$editor" >>"$out/times$i"; i=$((i + 1)); done
    r=$((r + 1))
done
i=0
for editor in "$@"; do
    printf '%-44s visible after (ms): %s  median %s\n' "$editor" "$(tr '\n' ' ' <"$out/times$i")" \
        "$(sed 's/timeout/99999/' "$out/times$i" | sort -n | sed -n "$(( (rounds + 1) / 2 ))p")"
    i=$((i + 1))
done
