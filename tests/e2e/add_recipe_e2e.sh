#!/bin/bash
# Adds a recipe through the real program's menu and wizard under Xvfb, then
# checks the recipe file and the default index byte for byte.
# Usage: add_recipe_e2e.sh BUILD_DIR   (installed from there into a fresh directory)
set -eu
source "$(dirname "$0")/e2e_support.sh"
start_display
install_program "$1"

cd "$home"
./larderon >"$work/out.log" 2>&1 &
pid=$!

menu=$(wait_for_window "Larderon - Main")
sleep 0.5
xdotool mousemove --window "$menu" 100 25 click 1
wizard=$(wait_for_window "Larderon - Add Recipe")
xdotool windowfocus --sync "$wizard" 2>/dev/null || true
sleep 0.5

# One typed answer and Enter; an empty answer is Enter alone.
say() {
  if [ -n "$1" ]; then xdotool type --delay 40 -- "$1"; fi
  sleep 0.2
  xdotool key Return
  sleep 0.3
}
say "Pancakes"; say "y"
say "Ann"; say "Family"; say "4"; say "y"
say "Fluffy"
say "2 eggs"; say "1 cup flour, sifted"; say ""
say "n"
say "Beat the eggs."; say "n"
say "Fry in butter."; say "n"
say ""

# The index is rewritten just before the final message and its key wait.
for _ in $(seq 100); do
  [ "$(head -c 1 default.ldr 2>/dev/null)" = "1" ] && break
  sleep 0.1
done
sleep 0.5
xdotool key space
end_at_menu

shopt -s nullglob
recipes=(*.rcp)
[ "${#recipes[@]}" -eq 1 ] || fail "expected one recipe file, found: ${recipes[*]:-none}"
recipe=${recipes[0]}
[[ "$recipe" =~ ^[0-9]+\.rcp$ ]] || fail "recipe file name $recipe is not a number and .rcp"

printf '"Pancakes","Ann","Family"\r\n"Fluffy",4\r\n2\r\n"2 eggs"\r\n"1 cup flour, sifted"\r\n2\r\n"Beat the eggs."\r\n"Fry in butter."\r\n' >expected.rcp
printf '1\r\n"Pancakes","Ann","Family","%s"\r\n' "$recipe" >expected.ldr
printf '0\r\n' >expected.bak

ok=1
same "$recipe" expected.rcp || ok=0
same default.ldr expected.ldr || ok=0
same default.bak expected.bak || ok=0
[ "$ok" -eq 1 ] || fail "files differ (program output: $(cat out.log))"
echo "add_recipe_e2e: recipe $recipe and default.ldr written as typed"
