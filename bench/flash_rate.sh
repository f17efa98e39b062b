#!/usr/bin/env bash
# Firmware transfer rate of "omniset-cli flash" against kx220-sim paced at 115200 8N1 on a
# pty, against the line's limit (11 520 bytes/s: 10 bits a byte) and against lrzsz's
# "sx -k" sending the same image to the same simulator in the same run. Both rates are the
# steady rate from the simulator's transcript (every accepted block is stamped): bytes of
# the blocks after the first over the time from the first accepted block to the last. The
# flash command's own figure (whole transfer, from the boot loader's first 'C') and its
# wall time (search, boot loader dialogue, transfer, the 10 s completion wait, the fresh
# identification) are printed too. No display is used.
# Usage: bench/flash_rate.sh [KiB] [runs]   (default 100 KiB, 1 run; after a build in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
kib=${1:-100}
runs=${2:-1}
scratch=$(mktemp -d)
trap 'exec 3>&- 2>/dev/null || true; kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$scratch"' EXIT
unset DISPLAY WAYLAND_DISPLAY
export LANG=C
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
links="$XDG_CONFIG_HOME/omniset/dosdevices"
mkdir -p "$links"
for n in 2 3 4; do ln -s "$scratch/none$n" "$links/com$n"; done
head -c $((kib * 1024)) /dev/urandom >"$scratch/image.dl"
command -v sx >/dev/null || { echo "sx (lrzsz) is not installed"; exit 1; }
limit=11520

ms() { # hh:mm:ss.mmm -> milliseconds since midnight
    IFS=:. read -r h m s f <<<"$1"
    echo $(( (10#$h * 3600 + 10#$m * 60 + 10#$s) * 1000 + 10#$f ))
}

# Steady rate of the blocks accepted in a transcript: "<bytes/s> <blocks>".
steady() {
    local first last n
    first=$(grep ' accepted (' "$1" | head -1 | cut -d' ' -f1)
    last=$(grep ' accepted (' "$1" | tail -1 | cut -d' ' -f1)
    n=$(grep -c ' accepted (' "$1")
    echo "$(( (n - 1) * 1024 * 1000 / ($(ms "$last") - $(ms "$first")) )) $n"
}

# Waits until the reply on fd 3 holds $1 (at most 3 s).
expect() {
    local got="" part deadline=$((SECONDS + 3))
    while [[ $got != *"$1"* ]] && ((SECONDS < deadline)); do
        part=""
        IFS= read -r -t 0.2 -N 256 part <&3 || true
        got+=$part
    done
    [[ $got == *"$1"* ]]
}

startSim() { # log
    build/sim/kx220-sim --com 1 --verbose --firmware 1.62 --image "$scratch/received.dl" \
        --store "$scratch/store" 2>"$1" &
    sim=$!
    for _ in $(seq 100); do [ -e "$links/com1" ] && break; sleep 0.02; done
    sleep 0.2
}

echo "kx220-sim paced at 115200 8N1, image $((kib * 1024)) bytes, line limit $limit bytes/s"
for run in $(seq "$runs"); do
    # omniset-cli flash
    startSim "$scratch/flash.log"
    start=$(date +%s%N)
    build/src/cli/omniset-cli -q flash --no-backup "$scratch/image.dl" >"$scratch/flash.out"
    wall=$(( ($(date +%s%N) - start) / 1000000 ))
    kill "$sim"; wait "$sim" 2>/dev/null || true
    read -r ours oursBlocks <<<"$(steady "$scratch/flash.log")"
    own=$(grep -o '[0-9]* bytes/s' "$scratch/flash.out")

    # sx -k on the same simulator, after the same boot loader dialogue
    startSim "$scratch/sx.log"
    dev=$(readlink -f "$links/com1")
    exec 3<>"$dev"
    stty -F "$dev" raw -echo 115200 cs8 -parenb -cstopb clocal
    sleep 0.3
    printf 'at&l\r\n' >&3 && expect 'Are you sure to download?(Y/N)'
    printf 'y' >&3 && expect 'with current speed? (y/n)'
    printf 'y' >&3 && expect 'Waiting...'
    sx -k "$scratch/image.dl" <&3 >&3 2>/dev/null || echo "sx -k failed"
    exec 3>&-
    kill "$sim"; wait "$sim" 2>/dev/null || true
    read -r theirs theirsBlocks <<<"$(steady "$scratch/sx.log")"

    printf 'run %d:\n' "$run"
    printf '  omniset-cli flash  %4d blocks  steady %6d bytes/s  %5.1f %% of the line  (it says: %s; wall %d ms)\n' \
        "$oursBlocks" "$ours" "$(echo "$ours * 100 / $limit" | bc -l)" "$own" "$wall"
    printf '  sx -k              %4d blocks  steady %6d bytes/s  %5.1f %% of the line\n' \
        "$theirsBlocks" "$theirs" "$(echo "$theirs * 100 / $limit" | bc -l)"
    printf '  flash / sx -k      %.3f\n' "$(echo "$ours / $theirs" | bc -l)"
done
