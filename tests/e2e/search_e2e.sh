#!/bin/bash
# Searches ingredients in the real program under Xvfb, adds the second result
# to the favourites, then searches names for text that no recipe has; checks
# the index files byte for byte afterwards.
# Usage: search_e2e.sh BUILD_DIR
set -eu
source "$(dirname "$0")/e2e_support.sh"
start_display
install_program "$1"

cd "$home"
printf '"Apple pie","Bea","Gran"\r\n"Sweet",6\r\n2\r\n"3 apples"\r\n"1 egg, beaten"\r\n1\r\n"Bake."\r\n' >1.rcp
# Line 1 of the file differs from its index entry: the favourite takes the file's.
printf '"Bread!","Cy","Book"\r\n"Crusty",2\r\n2\r\n"500 g Flour"\r\n"water"\r\n1\r\n"Bake."\r\n' >2.rcp
printf '"Soup","Dee","Home"\r\n"Hot",4\r\n1\r\n"leeks"\r\n1\r\n"Boil."\r\n' >3.rcp
printf '3\r\n"Apple pie","Bea","Gran","1.rcp"\r\n"Bread","Cy","Book","2.rcp"\r\n"Soup","Dee","Home","3.rcp"\r\n' >default.ldr
printf '1\r\n"Soup","Dee","Home","3.rcp"\r\n' >favs.ldr
cp default.ldr "$work/default.ldr"
cp favs.ldr "$work/favs.old"
./larderon >"$work/out.log" 2>&1 &
pid=$!

# One typed answer and Enter.
say() {
  xdotool type --delay 40 -- "$1"
  sleep 0.2
  xdotool key Return
  sleep 0.3
}
# Held keys are read once a pass (99 ms): hold a key rather than tap it.
hold() {
  xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"
  sleep 0.4
}

menu=$(wait_for_window "Larderon - Main")
sleep 0.5
click "$menu" 100 325
wait_for_window "Search Ingredients" >/dev/null
sleep 0.3
say 2; say EGG; say flour
sleep 1  # 99 + 3 x 25 + 75 ms of dots, with room to spare
hold Right 0.3  # two results: it stops on the second
hold a 0.15
xdotool key Escape
sleep 0.5
hold q 0.15
wait_for_window "Larderon - Main" >/dev/null
sleep 0.5

click "$menu" 100 175
wait_for_window "Search Names" >/dev/null
sleep 0.3
say zzz
sleep 0.3
xdotool key Escape
end_at_menu

printf '2\r\n"Soup","Dee","Home","3.rcp"\r\n"Bread!","Cy","Book","2.rcp"\r\n' >"$work/favs.new"
cmp favs.ldr "$work/favs.new" || fail "favs.ldr differs: $(od -c favs.ldr 2>&1 | head)"
cmp favs.bak "$work/favs.old" || fail "favs.bak differs: $(od -c favs.bak 2>&1 | head)"
cmp default.ldr "$work/default.ldr" || fail "default.ldr changed"
[ ! -e default.bak ] || fail "default.bak was made"
echo "search_e2e: found two recipes by ingredients, added the second to the favourites, found no name"
