#!/bin/bash
# Drives the real SDL window of sdl_probe under Xvfb with xdotool and checks
# that pointer, clicks, held keys, typed text and extended keys arrive.
set -eu
probe=$1
work=$(mktemp -d)
display_number=$((90 + RANDOM % 400))
Xvfb ":$display_number" -screen 0 800x600x24 -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display_number"
cleanup() { kill "${pid:-}" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$probe" >"$work/log" 2>"$work/err" &
pid=$!
win=$(timeout 20 xdotool search --sync --name "Service Probe" | head -1)
xdotool windowfocus --sync "$win" 2>/dev/null || true
sleep 0.5
step() { sleep 0.4; }

xdotool mousemove --window "$win" 100 200; step
xdotool click 1; step
xdotool keydown a; step
xdotool keyup a; step
xdotool type --delay 80 "x,é"; step
xdotool key Left; step
xdotool mousemove 700 500; step
kill "$pid"
wait "$pid" 2>/dev/null || true

log=$(cat "$work/log")
fail=0
expect() {
  if ! grep -qx -- "$1" <<<"$log"; then echo "missing: $1"; fail=1; fi
}
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
if [ "$fail" -ne 0 ]; then
  echo "--- probe output"; cat "$work/log"; cat "$work/err"
  exit 1
fi
echo "SDL backend: pointer, click, held key, text and Left arrow all arrived"
