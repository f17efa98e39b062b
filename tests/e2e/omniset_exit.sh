#!/usr/bin/env bash
# The real omniset binary against kx220-sim on a pty, in a real X server (Xvfb): it must
# find the adapter on COM1 (COM2 to COM4 lead nowhere), show the sheet, and leave with
# Exit (Escape) with exit code 0, the settings file written.
# Usage: omniset_exit.sh OMNISET KX220_SIM SCRATCH_DIR
set -euo pipefail
omniset=$1 sim=$2 scratch=$3
rm -rf "$scratch"
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" LANG=en_US.UTF-8
# What the caller's environment says must not matter: the windows go to our own X server
# (xdotool finds them there), in English.
export QT_QPA_PLATFORM=xcb
unset LC_ALL LC_MESSAGES WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME
links="$XDG_CONFIG_HOME/omniset/dosdevices"
mkdir -p "$links"
for n in 2 3 4; do ln -s "$scratch/no-adapter-on-com$n" "$links/com$n"; done

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT

# A display of our own: Xvfb picks a free number and writes it to the pipe.
exec {dfd}<> <(:)
Xvfb -displayfd "$dfd" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -r -t 10 -u "$dfd" display
export DISPLAY=":$display"

"$sim" --com 1 --store "$scratch/sim.store" &
pids+=($!)
for _ in $(seq 100); do [ -e "$links/com1" ] && break; sleep 0.05; done

"$omniset" &
app=$!
window=$(timeout 20 xdotool search --sync --name '^Velmar Brantis KX220\(Current Profile\)$' | head -n1)
# Wait until the sheet is mapped, then press Escape (Exit) in it.
for _ in $(seq 50); do
    xdotool windowfocus --sync "$window" key Escape 2>/dev/null && break
    sleep 0.1
done
code=0
timeout 20 tail --pid="$app" -f /dev/null || { echo "omniset did not end"; exit 1; }
wait "$app" || code=$?
[ "$code" -eq 0 ] || { echo "exit code $code"; exit 1; }
ini="$XDG_CONFIG_HOME/omniset/omniset.INI"
grep -qx 'iComNo=1' "$ini" || { echo "no iComNo=1 in $ini"; cat "$ini"; exit 1; }
grep -qx 'm_bInit=1' "$ini" || { echo "no m_bInit=1 in $ini"; exit 1; }
echo "omniset found the adapter on COM1, showed the sheet and left with exit code 0"
