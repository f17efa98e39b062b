#!/usr/bin/env bash
# Takes the screenshots of the user guide: each page of the sheet (General information,
# Telephone port, Data port) in English and in Chinese, with omniset running against
# kx220-sim in a virtual X server, each cropped to the window.
# Needs Xvfb, xdotool and ImageMagick (import, convert).
# Usage: docs/take-screenshots.sh [BUILD_DIR]   (default: build; writes docs/screenshots/)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=docs/screenshots
mkdir -p "$out"
scratch=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

# A display of our own with a black background, so that the crop finds the window.
exec {dfd}<> <(:)
Xvfb -displayfd "$dfd" -screen 0 1280x1024x24 -br -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -r -t 10 -u "$dfd" display
export DISPLAY=":$display" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

shoot() { # shoot FILE: the screen, cropped to what is not background
    import -window root "$scratch/screen.png"
    convert "$scratch/screen.png" -trim +repage -strip -define png:exclude-chunks=date,time "$1"
    echo "$1: $(identify -format '%wx%h' "$1")"
}

for lang in en zh; do
    case $lang in
        en) export LANG=en_US.UTF-8 ;;
        zh) export LANG=zh_CN.UTF-8 ;;
    esac
    export XDG_CONFIG_HOME="$scratch/$lang/config" XDG_DATA_HOME="$scratch/$lang/data"
    links="$XDG_CONFIG_HOME/omniset/dosdevices"
    mkdir -p "$links"
    for n in 2 3 4; do ln -s "$scratch/no-adapter-on-com$n" "$links/com$n"; done
    "$build/sim/kx220-sim" --com 1 --no-pace --store "$scratch/$lang.store" &
    sim=$!
    pids+=("$sim")
    for _ in $(seq 100); do [ -e "$links/com1" ] && break; sleep 0.05; done
    "$build/src/gui/omniset" &
    app=$!
    pids+=("$app")
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Velmar Brantis KX220\(' | head -n1)
    sleep 1 # let the sheet settle and paint
    xdotool windowfocus --sync "$window"
    for page in general telephone data; do
        shoot "$out/$page-$lang.png"
        xdotool key --window "$window" ctrl+Tab
        sleep 1 # the page fills itself when it is first shown
    done
    xdotool windowfocus --sync "$window" key Escape
    timeout 20 tail --pid="$app" -f /dev/null || echo "omniset did not end" >&2
    kill "$sim" 2>/dev/null || true
    wait "$app" "$sim" 2>/dev/null || true
done
