#!/bin/bash
# Browses recipes in the real program under Xvfb: moves with a held key and a
# click, views a recipe, exports it as text through the GTK save dialog and
# adds it to the favourites, then checks the files byte for byte.
# Usage: browse_export_e2e.sh BUILD_DIR
set -eu
source "$(dirname "$0")/e2e_support.sh"
start_display
install_program "$1"

cd "$home"
printf '"Apple pie","Bea","Gran"\r\n"Sweet",6\r\n1\r\n"3 apples"\r\n1\r\n"Bake."\r\n' >1.rcp
printf '"Bread","Cy","Book"\r\n"Crusty, warm",2\r\n2\r\n"500 g flour"\r\n"water, to mix"\r\n2\r\n"Knead."\r\n"Bake hot."\r\n' >2.rcp
printf '"Soup","Dee","Home"\r\n"Hot",4\r\n0\r\n1\r\n"Boil."\r\n' >3.rcp
printf '3\r\n"Apple pie","Bea","Gran","1.rcp"\r\n"Bread","Cy","Book","2.rcp"\r\n"Soup","Dee","Home","3.rcp"\r\n' >default.ldr
./larderon >"$work/out.log" 2>&1 &
pid=$!

menu=$(wait_for_window "Larderon - Main")
sleep 0.5
# GTK is loaded with the first dialog, not before.
! grep -q libgtk-3 "/proc/$pid/maps" || fail "GTK is loaded before any dialog"
click "$menu" 100 125
browser=$(wait_for_window "Browsing Recipes")
sleep 0.5
# Held keys are read once a pass: hold Right to the last recipe, then one
# click on Previous.
xdotool keydown Right; sleep 1; xdotool keyup Right
sleep 0.3
click "$browser" 40 380

click "$browser" 30 420
viewer=$(wait_for_window "Recipe Viewer")
sleep 0.3
xdotool key Escape
browser=$(wait_for_window "Browsing Recipes")
sleep 0.5

export_as_text "$browser" soup
grep -q libgtk-3 "/proc/$pid/maps" || fail "the save dialog is not GTK's"
browser=$(wait_for_window "Browsing Recipes")
sleep 0.5

click "$browser" 90 420
sleep 0.5
xdotool key Escape
sleep 0.5
click "$browser" 220 420
end_at_menu

printf 'Bread by Cy\r\nFrom: Book   Serves: 2\r\n-----------------------------\r\nCrusty, warm\r\n\r\nIngredients:\r\n\r\n500 g flour\r\nwater, to mix\r\n\r\nDirections:\r\n\r\nKnead.\r\nBake hot.\r\n' >"$work/expected.txt"
printf '1\r\n"Bread","Cy","Book","2.rcp"\r\n' >"$work/expected.ldr"
same "$HOME/soup.txt" "$work/expected.txt" || fail "soup.txt is not as expected"
same favs.ldr "$work/expected.ldr" || fail "favs.ldr is not as expected"
echo "browse_export_e2e: moved, viewed, exported soup.txt and added a favourite"
