#!/usr/bin/env bash
# Time from process start to the sheet being shown, against kx220-sim on COM1 at
# 115200 8N1 (paced) with a fresh settings directory and COM2 unavailable, and the
# process's peak memory at that point. Runs in Xvfb. Usage: bench/startup_time.sh [runs]
# (after a build in build/).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$scratch"' EXIT
exec {dfd}<> <(:)
Xvfb -displayfd "$dfd" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
read -r -t 10 -u "$dfd" display
export DISPLAY=":$display" LANG=en_US.UTF-8
for run in $(seq "$runs"); do
    export XDG_CONFIG_HOME="$scratch/$run/config" XDG_DATA_HOME="$scratch/$run/data"
    links="$XDG_CONFIG_HOME/omniset/dosdevices"
    mkdir -p "$links"
    for n in 2 3 4; do ln -s "$scratch/none$n" "$links/com$n"; done
    build/sim/kx220-sim --com 1 --store "$scratch/$run.store" & sim=$!
    for _ in $(seq 100); do [ -e "$links/com1" ] && break; sleep 0.02; done
    start=$(date +%s%N)
    build/src/gui/omniset & app=$!
    # Poll every 5 ms (xdotool's own --sync polls only twice a second).
    # A run that has not shown the sheet after 30 s is reported and ends the benchmark.
    until xdotool search --onlyvisible --name '^Velmar Brantis KX220\(Current Profile\)$' >/dev/null; do
        if (( ($(date +%s%N) - start) / 1000000 > 30000 )) || ! kill -0 "$app" 2>/dev/null; then
            echo "run $run: no sheet within 30 s" >&2
            exit 1
        fi
        sleep 0.005
    done
    shown=$(date +%s%N)
    hwm=$(awk '/VmHWM/ {print $2}' "/proc/$app/status")
    printf 'run %d: sheet shown after %4d ms, peak memory %6d KiB\n' "$run" \
        $(( (shown - start) / 1000000 )) "$hwm"
    kill "$app" "$sim"; wait "$app" "$sim" 2>/dev/null || true
done
