#!/usr/bin/env bash
# Wall time of omniset-cli's commands against kx220-sim (paced, 115200 8N1, COM1 and its
# line settings remembered from a first run), with the simulator's full-length replies and
# with --short-replies, each beside its floor: the fixed waits the adapter needs that
# remain (the port's 300 ms settling after the open; the unlock's
# 2 x (LineDelay(30) + 200) + 2 x (LineDelay(20) + 200); 300 ms after a write command) plus
# the line time of every byte both ways at 11 520 B/s, counted from the simulator's
# transcript. Usage: bench/cli_times.sh [runs] (after a build in build/; OMNISET_CLI=PATH
# times another omniset-cli against the same simulator); no display used.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$scratch"' EXIT
unset DISPLAY WAYLAND_DISPLAY
export LANG=C
cli=${OMNISET_CLI:-build/src/cli/omniset-cli} # another build's, to compare

ld() { echo $(( $1 * 15000 / 115200 + 5 )); }
unlock=$(( 2 * ($(ld 30) + 200) + 2 * ($(ld 20) + 200) ))

# Bytes on the line, both ways, in a transcript: each "host:" and "sim:" line unescaped
# (\r, \n and \xNN are one byte; a shortened line gives its length), the access code
# (not in the transcript) and the hex text's length as the simulator states it.
line_bytes() {
    python3 - "$1" <<'PY'
import re, sys
total = 0
for line in open(sys.argv[1], encoding="latin-1"):
    m = re.search(r" (host|sim): {1,2}(.*)$", line.rstrip("\n"))
    if not m:
        continue
    text = m.group(2)
    hexed = re.match(r"hex text for profile \d+, (\d+)", text)
    if hexed:
        total += int(hexed.group(1)) + 1
        continue
    cut = re.search(r"\.\.\. \((\d+) bytes\)$", text)
    if cut:
        total += int(cut.group(1))
        continue
    total += len(re.sub(r"\\(r|n|x[0-9A-F]{2})", "x", text))
    if m.group(1) == "host" and text.startswith("AT&P"):
        total += len("kzrqe\r")
print(total)
PY
}

printf '%-8s %-7s %9s %9s %7s\n' reply command "time ms" "floor ms" ratio
for kind in full short; do
    export XDG_CONFIG_HOME="$scratch/$kind/config" XDG_DATA_HOME="$scratch/$kind/data"
    links="$XDG_CONFIG_HOME/omniset/dosdevices"
    mkdir -p "$links"
    for n in 2 3 4; do ln -s "$scratch/none$n" "$links/com$n"; done
    extra=()
    [ "$kind" = short ] && extra=(--short-replies)
    build/sim/kx220-sim --com 1 --verbose --store "$scratch/$kind.store" "${extra[@]}" \
        2>"$scratch/$kind.log" &
    sim=$!
    for _ in $(seq 100); do [ -e "$links/com1" ] && break; sleep 0.02; done
    "$cli" -q info >/dev/null # the port and its line settings remembered
    value=48
    for command in info show backup set; do
        best=""
        for run in $(seq "$runs"); do
            case $command in
            backup) args=(backup "$scratch/$kind-$run.json") ;;
            set) # 48 and 40 in turn: never the factory value, so every run writes
                value=$(( value == 48 ? 40 : 48 ))
                args=(set "data.bod.upper_threshold=$value") ;;
            *) args=("$command") ;;
            esac
            mark=$(wc -l <"$scratch/$kind.log")
            start=$(date +%s%N)
            "$cli" -q "${args[@]}" >/dev/null
            wall=$(( ($(date +%s%N) - start) / 1000000 ))
            tail -n +"$((mark + 1))" "$scratch/$kind.log" >"$scratch/run.log"
            bytes=$(line_bytes "$scratch/run.log")
            waits=300
            case $command in
            show | backup) waits=$(( waits + unlock )) ;;
            set) waits=$(( waits + unlock + 300 )) ;;
            esac
            floor=$(( waits + bytes * 1000 / 11520 ))
            if [ -z "$best" ] || (( wall < best )); then best=$wall; best_floor=$floor; fi
        done
        printf '%-8s %-7s %9d %9d %7.2f\n' "$kind" "$command" "$best" "$best_floor" \
            "$(echo "$best / $best_floor" | bc -l)"
    done
    kill "$sim"
    wait "$sim" 2>/dev/null || true
done
