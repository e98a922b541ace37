#!/bin/bash
# Drives the real SDL window of sdl_probe under Xvfb with xdotool and checks
# that pointer, clicks, held keys, typed text and extended keys arrive; then,
# at scale 2, that every pixel shows as a 2x2 block and the pointer maps both
# ways.
# Usage: sdl_backend.sh SDL_PROBE DATA_DIR
set -eu
probe=$1
data=$2
work=$(mktemp -d)
display_number=$((90 + RANDOM % 400))
# Room for the 640x480 window at scale 2.
Xvfb ":$display_number" -screen 0 1600x1200x24 -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display_number"
cleanup() { kill "${pid:-}" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

fail=0
# Starts the probe at scale $1 with its output in $2; its window is $win.
start_probe() {
  LARDERON_SCALE=$1 "$probe" "$data" >"$2" 2>"$work/err" &
  pid=$!
  win=$(timeout 20 xdotool search --sync --name "^Service Probe$" | head -1)
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  sleep 0.5
}
end_probe() {
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}
step() { sleep 0.4; }
expect() {
  if ! grep -qx -- "$1" "$log"; then echo "missing in $log: $1"; fail=1; fi
}
geometry() { xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: //p'; }
check() { [ "$1" = "$2" ] || { echo "$3: $1, not $2"; fail=1; }; }

log=$work/log1
start_probe 1 "$log"
import -window "$win" "$work/scale1.png"
xdotool mousemove --window "$win" 100 200; step
xdotool click 1; step
xdotool keydown a; step
xdotool keyup a; step
xdotool type --delay 80 "x,é"; step
xdotool key Left; step
xdotool mousemove 0 0; step  # beside the window, which SDL centres
end_probe
expect "mouse 100 200 0"
expect "mouse 100 200 1"
expect "held A 1"
expect "held A 0"
expect "key 97"
expect "key 120"
expect "key 44"
expect "key 233"
expect "key 255 75"
expect "mouse -1 -1 -1"

log=$work/log2
start_probe 2 "$log"
check "$(geometry "$win")" 500x900 "window at scale 2"
import -window "$win" "$work/scale2.png"
convert "$work/scale1.png" -sample 200% "$work/doubled.png"
check "$(compare -metric AE "$work/doubled.png" "$work/scale2.png" null: 2>&1)" 0 "pixels unlike the doubled picture"
# Window pixels (2x+1, 2y+1) and (2x, 2y) are program pixel (x, y): either
# side of the line between the Add and Favourites buttons.
xdotool mousemove --window "$win" 201 99 click 1; step
xdotool mousemove --window "$win" 200 100 click 1; step
expect "mouse 100 49 1"
expect "mouse 100 50 1"
xdotool key 1; step
eval "$(xdotool getmouselocation --shell | sed 's/^/pointer_/')"
eval "$(xdotool getwindowgeometry --shell "$win")"
check "$(( (pointer_X - X) / 2 )),$(( (pointer_Y - Y) / 2 ))" 1,1 "pointer block after set_mouse(1, 1)"
expect "mouse 1 1 0"
xdotool key 2
check "$(geometry "$(timeout 20 xdotool search --sync --name "^Service Probe Large$" | head -1)")" 1280x960 \
  "large window at scale 2"
end_probe

if [ "$fail" -ne 0 ]; then
  echo "--- probe output"; cat "$work/log1" "$work/log2" "$work/err"
  exit 1
fi
echo "SDL backend: input arrives, and at scale 2 the picture doubles and the pointer maps both ways"
