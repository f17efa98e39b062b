#!/usr/bin/env bash
# Time of "omniset-cli backup" against kx220-sim on COM1 at 115200 8N1 (paced), compared
# with the sum of the waits the program gives those exchanges:
#   unlock          2 x (LineDelay(30) + 200) + 2 x (LineDelay(20) + 200)
#   six reads       6 x 2 x (LineDelay(2L + 2) + 200), L = 326
#   identification  and the four quick-dial reads: no wait of their own (each read ends
#                   when its limit of bytes has come)
# with LineDelay(n) = n * 15000 / 115200 + 5 (integer). The exchanges are timed from the
# simulator's transcript: from the first "ati3" to the port's closing (after the search).
# The whole command's wall time (process start, search, file write) is printed too.
# No display is used. Usage: bench/backup_time.sh [runs] (after a build in build/).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$scratch"' EXIT
unset DISPLAY WAYLAND_DISPLAY
export LANG=C

ld() { echo $(( $1 * 15000 / 115200 + 5 )); }
length=326
unlock=$(( 2 * ($(ld 30) + 200) + 2 * ($(ld 20) + 200) ))
reads=$(( 6 * 2 * ($(ld $((2 * length + 2))) + 200) ))
sum=$(( unlock + reads ))
limit=$(( sum * 110 / 100 ))
echo "waits: unlock $unlock ms + six reads $reads ms = $sum ms (goal: at most $limit ms)"

ms() { # hh:mm:ss.mmm -> milliseconds since midnight
    IFS=:. read -r h m s f <<<"$1"
    echo $(( (10#$h * 3600 + 10#$m * 60 + 10#$s) * 1000 + 10#$f ))
}

worst=0
for run in $(seq "$runs"); do
    export XDG_CONFIG_HOME="$scratch/$run/config" XDG_DATA_HOME="$scratch/$run/data"
    links="$XDG_CONFIG_HOME/omniset/dosdevices"
    mkdir -p "$links"
    for n in 2 3 4; do ln -s "$scratch/none$n" "$links/com$n"; done
    build/sim/kx220-sim --com 1 --verbose --store "$scratch/$run.store" 2>"$scratch/$run.log" &
    sim=$!
    for _ in $(seq 100); do [ -e "$links/com1" ] && break; sleep 0.02; done
    start=$(date +%s%N)
    build/src/cli/omniset-cli -q backup "$scratch/$run.json" >/dev/null
    wall=$(( ($(date +%s%N) - start) / 1000000 ))
    kill "$sim"; wait "$sim" 2>/dev/null || true
    first=$(grep -m1 'host: ati3' "$scratch/$run.log" | cut -d' ' -f1)
    closed=$(grep -m1 'host closed the port' "$scratch/$run.log" | cut -d' ' -f1)
    exchanges=$(( $(ms "$closed") - $(ms "$first") ))
    (( exchanges > worst )) && worst=$exchanges
    printf 'run %d: exchanges %5d ms (%+.1f %% of the waits), whole command %5d ms\n' "$run" \
        "$exchanges" "$(echo "($exchanges - $sum) * 100 / $sum" | bc -l)" "$wall"
done
echo "worst: $worst ms against $limit ms allowed"
(( worst <= limit ))
