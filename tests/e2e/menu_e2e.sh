#!/bin/bash
# Installs the real program into a fresh directory, starts it under Xvfb and
# works its main menu with xdotool: a start without a display, window,
# pictures, empty index, the single-instance rule and both ways through the
# exit picture.
set -eu
build=$1
source "$(dirname "$0")/e2e_support.sh"
start_display
install_program "$build"
cd "$home"

# Without a display the program says so in one line and ends within 2 s with
# status 1, leaving nothing behind that would stop the next start.
env -u DISPLAY -u WAYLAND_DISPLAY "$home/larderon" 2>"$work/no_display.err" &
pid=$!
for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "without a display the program still runs after 2 s"
set +e
wait "$pid"
code=$?
set -e
pid=
[ "$code" -eq 1 ] || fail "without a display the program ended with $code"
[ "$(cat "$work/no_display.err")" = "Larderon needs a graphical display: neither DISPLAY nor WAYLAND_DISPLAY is set" ] ||
  fail "without a display it said: $(cat "$work/no_display.err")"

# Started from another directory: the program makes its own directory current.
env -C / "$home/larderon" &
pid=$!
win=$(wait_for_window "Larderon - Main")
geometry=$(xdotool getwindowgeometry "$win" | grep Geometry | awk '{print $2}')
[ "$geometry" = "250x450" ] || fail "menu window is $geometry"
cmp -s default.ldr <(printf '0\r\n') || fail "default.ldr holds $(od -c default.ldr)"

# Each button shows its picture: compare screenshot pixels with the files.
sleep 0.5
import -window "$win" "$work/menu.png"
for spot in "add 125 25 0" "srchname 60 175 150" "abhp 200 430 400"; do
  set -- $spot
  seen=$(pixel "$work/menu.png" "$2" "$3")
  want=$(pixel "data/$1.jpg" "$2" $(($3 - $4)))
  close_colours "$seen" "$want" || fail "pixel $2,$3 is $seen, $1.jpg has $want"
done

# A second copy ends at once, with code 0 and no window of its own.
set +e
timeout 10 ./larderon
second=$?
set -e
[ "$second" -eq 0 ] || fail "second copy ended with $second"
[ "$(xdotool search --name '^Larderon' | wc -l)" -eq 1 ] || fail "a second window appeared"

click "$win" 125 425
wait_for_window "Thank You." >/dev/null
click "$win" 150 300
wait_for_window "Larderon - Main" >/dev/null
click "$win" 125 425
wait_for_window "Thank You." >/dev/null
click "$win" 80 300
set +e
wait_for_exit "$pid"
code=$?
set -e
[ "$code" -eq 0 ] || fail "the program ended with $code"
echo "menu end to end: window, pictures, index, single copy and exit all as expected"
