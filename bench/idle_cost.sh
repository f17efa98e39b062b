#!/usr/bin/env bash
# What the program costs while it waits for the user: omniset against kx220-sim on COM1 in
# Xvfb, the sheet open and nothing happening. Reports, over SECONDS (default 60), the CPU
# time taken (utime + stime from /proc/PID/stat), the wake-ups (voluntary context
# switches: a polling timer shows here long before it shows as CPU) and the peak memory
# (VmHWM); then the same once the adapter has gone away (the simulator stopped, its pty
# closed), which must not make the program spin on the dead port.
# Usage: bench/idle_cost.sh [SECONDS] [BUILD_DIR] (after a build, default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${2:-build}
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$scratch"' EXIT
exec {dfd}<> <(:)
Xvfb -displayfd "$dfd" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
read -r -t 10 -u "$dfd" display
export DISPLAY=":$display" LANG=en_US.UTF-8
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
links="$XDG_CONFIG_HOME/omniset/dosdevices"
mkdir -p "$links"
for n in 2 3 4; do ln -s "$scratch/none$n" "$links/com$n"; done
"$build/sim/kx220-sim" --com 1 --store "$scratch/sim.store" & sim=$!
for _ in $(seq 100); do [ -e "$links/com1" ] && break; sleep 0.02; done
"$build/src/gui/omniset" & app=$!
timeout 30 xdotool search --sync --onlyvisible --name '^Velmar Brantis KX220\(Current Profile\)$' >/dev/null
sleep 2 # let the first paint and the page fills settle

hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
wakeups() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$app/status"; }
# VmHWM is folded in from the current RSS lazily, so a later reading can be lower: keep
# the highest seen.
peak=0
note_peak() {
    local now
    now=$(awk '/VmHWM/ {print $2}' "/proc/$app/status")
    if (( now > peak )); then peak=$now; fi
}
measure() {
    local label=$1 t0 w0 t1 w1
    t0=$(cpu_ticks) w0=$(wakeups)
    sleep "$seconds"
    kill -0 "$app" 2>/dev/null || { echo "omniset ended during the measurement"; exit 1; }
    t1=$(cpu_ticks) w1=$(wakeups)
    note_peak
    awk -v label="$label" -v ticks=$((t1 - t0)) -v hz="$hz" -v s="$seconds" -v w=$((w1 - w0)) \
        -v hwm="$peak" 'BEGIN {
        printf "%-28s CPU %5d ms in %d s (%.3f %%), %6d wake-ups (%.1f/s), peak memory %6d KiB\n",
               label, ticks * 1000 / hz, s, ticks * 100 / hz / s, w, w / s, hwm }'
}
measure "sheet open, adapter there:"
kill "$sim"; wait "$sim" 2>/dev/null || true # the pty closes under the open port
sleep 1
measure "sheet open, adapter gone:"
kill "$app"; wait "$app" 2>/dev/null || true
