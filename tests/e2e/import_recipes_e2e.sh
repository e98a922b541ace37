#!/bin/bash
# Imports a directory of mixed files with the installed import-recipes tool,
# checks its summary and every file it wrote byte for byte, checks that it
# refuses while Larderon runs, then browses to an imported recipe in the real
# program under Xvfb and exports it as text.
# Usage: import_recipes_e2e.sh BUILD_DIR   (installed from there into a fresh directory)
set -eu
source "$(dirname "$0")/e2e_support.sh"
data=$(cd "$(dirname "$0")/../data" && pwd)
start_display
install_program "$1"
[ -x "$home/import-recipes" ] || fail "import-recipes is not installed beside larderon"

cp -r "$data/mixed" "$work/mixed"
mkfifo "$work/mixed/pipe"
installed=$(ls -A "$home")
cd "$work"
status=0
./home/import-recipes mixed >"$work/out.txt" 2>"$work/err.txt" || status=$?
[ "$status" -eq 0 ] || fail "the import ended with $status: $(cat "$work/err.txt")"
[ ! -s "$work/err.txt" ] || fail "the import complained: $(cat "$work/err.txt")"
printf 'Imported 3 recipes from 3 files into %s.\nNot recipe files: 5 \xe2\x80\x94 1 picture, 4 others: article.html, notes.txt, person.json, photo.jpg, pipe\nFrom web pages 1, from Larderon 1, from MealMaster 1.\n' \
  "$home" >"$work/expected.txt"
same "$work/out.txt" "$work/expected.txt" || fail "the summary is not as expected"

cd "$home"
printf '"Lemon Curd","",""\r\n"",0\r\n3\r\n"3 Lemons; juice and zest"\r\n"200 g Sugar"\r\n"100 g Butter"\r\n2\r\n"Yield: 2 jars"\r\n"Stir over low heat until thick."\r\n' \
  >"$work/curd.rcp"
printf '3\r\n"Lemon Curd","","","Lemon Curd1.rcp"\r\n"Mint Tea","Ann","Garden","Mint Tea1.rcp"\r\n"Thin Pancakes","Bea","example.org","Thin Pancakes1.rcp"\r\n' >"$work/default.ldr"
same "Lemon Curd1.rcp" "$work/curd.rcp" || fail "Lemon Curd1.rcp is not as expected"
same "Mint Tea1.rcp" "$data/mixed/saved.rcp" || fail "Mint Tea1.rcp is not the file imported"
same default.ldr "$work/default.ldr" || fail "default.ldr is not as expected"
left=$(ls -A | grep -v -x -F -e "$installed" -e default.ldr -e 'Lemon Curd1.rcp' -e 'Mint Tea1.rcp' -e 'Thin Pancakes1.rcp' -e .larderon.lock || true)
[ -z "$left" ] || fail "the import left behind: $left"

./larderon >"$work/larderon.log" 2>&1 &
pid=$!
menu=$(wait_for_window "Larderon - Main")

# While the program runs, the tool refuses and writes nothing, also when
# started through a link under another name.
ln -s "$home/import-recipes" "$work/fetch-cards"
for tool in ./import-recipes "$work/fetch-cards"; do
  status=0
  "$tool" "$work/mixed" >"$work/out.txt" 2>"$work/err.txt" || status=$?
  [ "$status" -eq 1 ] || fail "$tool beside a running Larderon ended with $status"
  [ "$(cat "$work/err.txt")" = "Close Larderon first: it has this collection open (process $pid)." ] ||
    fail "the refusal said: $(cat "$work/err.txt")"
  same default.ldr "$work/default.ldr" || fail "the refused import changed default.ldr"
done

# Browse: the first recipe in name order is the imported Lemon Curd; export it as text.
sleep 0.5
click "$menu" 100 125
browser=$(wait_for_window "Browsing Recipes")
sleep 0.5
export_as_text "$browser" curd
browser=$(wait_for_window "Browsing Recipes")
sleep 0.5
click "$browser" 220 420
end_at_menu

printf 'Lemon Curd by \r\nFrom:    Serves: 0\r\n-----------------------------\r\n\r\n\r\nIngredients:\r\n\r\n3 Lemons; juice and zest\r\n200 g Sugar\r\n100 g Butter\r\n\r\nDirections:\r\n\r\nYield: 2 jars\r\nStir over low heat until thick.\r\n' \
  >"$work/curd.txt"
same "$HOME/curd.txt" "$work/curd.txt" || fail "the exported recipe is not as expected"
# While an import holds the collection's lock, Larderon started through a
# link under another name tells so and ends with status 1.
flock -n "$home/.larderon.lock" bash -c 'printf "import-recipes %s\n" $$ >"$1"; while [ ! -e "$2" ]; do sleep 0.1; done' \
  holder "$home/.larderon.lock" "$work/import-done" &
holder=$!
sleep 0.5
ln -s "$home/larderon" "$work/my-recipes"
"$work/my-recipes" >"$work/locked.log" 2>&1 &
pid=$!
box=$(wait_for_window "Larderon")
xdotool windowfocus --sync "$box" 2>/dev/null || true
sleep 0.5
xdotool key Return
status=0; wait_for_exit "$pid" || status=$?
touch "$work/import-done"
wait "$holder"
[ "$status" -eq 1 ] || fail "Larderon during an import ended with $status"
grep -qxF "An import into this collection is running; start Larderon again when it has finished." "$work/locked.log" ||
  fail "Larderon during an import said: $(cat "$work/locked.log")"
echo "import_recipes_e2e: imported a mixed directory, refused beside Larderon, browsed and exported an imported recipe, kept Larderon out during an import"
