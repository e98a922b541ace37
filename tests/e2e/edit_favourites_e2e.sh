#!/bin/bash
# Edits a favourite recipe through the real program's Favourites screen and
# editor under Xvfb, then takes a favourite off the list; checks every data
# file byte for byte.
# Usage: edit_favourites_e2e.sh BUILD_DIR   (installed from there into a fresh directory)
set -eu
source "$(dirname "$0")/e2e_support.sh"
start_display
install_program "$1"
cd "$home"

entry() { printf '"%s","%s","%s","%s"\r\n' "$@"; }
printf '"Apple pie","Bea","Gran"\r\n"Sweet",4\r\n1\r\n"apples"\r\n1\r\n"Bake."\r\n' >1.rcp
printf '"Bread","Cy",""\r\n"Crusty",2\r\n1\r\n"flour"\r\n1\r\n"Knead."\r\n' >2.rcp
printf '"Crumble","Di","Book"\r\n"",0\r\n0\r\n0\r\n' >3.rcp
{ printf '3\r\n'; entry "Apple pie" Bea Gran 1.rcp; entry Bread Cy "" 2.rcp; entry Crumble Di Book 3.rcp; } >default.ldr
{ printf '2\r\n'; entry Bread Cy "" 2.rcp; entry "Apple pie" Bea Gran 1.rcp; } >favs.ldr
old="$work/old"
mkdir "$old"
cp *.rcp default.ldr favs.ldr "$old"

./larderon >"$work/out.log" 2>&1 &
pid=$!

# The id of the window titled $1 once it has the size $2.
window_of_size() {
  local id
  for _ in $(seq 100); do
    id=$(wait_for_window "$1")
    if xdotool getwindowgeometry "$id" 2>/dev/null | grep -q "Geometry: $2\$"; then
      echo "$id"
      return
    fi
    sleep 0.1
  done
  fail "no $2 window titled '$1'"
}
# One typed line and Enter; an empty line is Enter alone.
say() {
  if [ -n "$1" ]; then xdotool type --delay 40 -- "$1"; fi
  sleep 0.2
  xdotool key Return
  sleep 0.3
}
hold() {
  xdotool keydown "$1"
  sleep 0.3
  xdotool keyup "$1"
}
wait_for_file() {
  for _ in $(seq 100); do
    [ -e "$1" ] && return
    sleep 0.1
  done
  fail "$1 was not written (program output: $(cat "$work/out.log"))"
}

menu=$(wait_for_window "Larderon - Main")
sleep 0.5
click "$menu" 125 75
favourites=$(wait_for_window "Favorite Recipes")
sleep 0.3
click "$favourites" 130 380  # Edit on the strip
editor=$(window_of_size "Recipe Editor" 250x450)
sleep 0.3
click "$editor" 60 425  # Yes: title, author, source
say "Zucchini bread"; say ""; say "Garden, back"
click "$editor" 200 425  # No: description and servings
click "$editor" 60 425   # Yes: ingredients
window_of_size "Recipe Editor" 640x480 >/dev/null
sleep 0.5
say "a"; say "1 onion, diced"; say ""
editor=$(window_of_size "Recipe Editor" 250x450)
sleep 0.5
click "$editor" 200 425  # No: directions
wait_for_file default.bak
sleep 0.5
xdotool key Escape
menu=$(wait_for_window "Larderon - Main")

printf '"Zucchini bread","Cy","Garden"\r\n"Crusty",2\r\n2\r\n"flour"\r\n"1 onion, diced"\r\n1\r\n"Knead."\r\n' >"$work/expected.rcp"
{ printf '3\r\n'; entry "Apple pie" Bea Gran 1.rcp; entry "Zucchini bread" Cy Garden 2.rcp; entry Crumble Di Book 3.rcp; } >"$work/expected.ldr"
ok=1
same 2.rcp "$work/expected.rcp" || ok=0
same 2.rcp.bak "$old/2.rcp" || ok=0
same default.ldr "$work/expected.ldr" || ok=0
same default.bak "$old/default.ldr" || ok=0
same favs.ldr "$old/favs.ldr" || ok=0
[ "$ok" -eq 1 ] || fail "files differ after the edit (program output: $(cat "$work/out.log"))"

# Remove from List takes the first favourite off; nothing else changes.
cp 2.rcp "$work/edited.rcp"
sleep 0.5
click "$menu" 125 75
wait_for_window "Favorite Recipes" >/dev/null
sleep 0.3
hold d
wait_for_file favs.bak
sleep 0.5
xdotool key Escape
sleep 0.5
hold q
end_at_menu

{ printf '1\r\n'; entry "Apple pie" Bea Gran 1.rcp; } >"$work/expected_favs.ldr"
same favs.ldr "$work/expected_favs.ldr" || ok=0
same favs.bak "$old/favs.ldr" || ok=0
same default.ldr "$work/expected.ldr" || ok=0
same 2.rcp "$work/edited.rcp" || ok=0
same 1.rcp "$old/1.rcp" || ok=0
same 3.rcp "$old/3.rcp" || ok=0
[ "$(echo *.rcp)" = "1.rcp 2.rcp 3.rcp" ] || ok=0
[ "$ok" -eq 1 ] || fail "files differ after Remove from List (program output: $(cat "$work/out.log"))"
echo "edit_favourites_e2e: the edit and Remove from List wrote exactly the expected files"
