#!/bin/bash
# Registers the installed program with the desktop, opens recipe files with it
# the way a file manager does (the desktop entry's Exec line), imports them by
# clicks, then removes one through the menu; checks every file byte for byte.
# Usage: import_remove_e2e.sh BUILD_DIR   (installed from there into a fresh directory)
set -eu
source "$(dirname "$0")/e2e_support.sh"
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
start_display
install_program "$1"

# The desktop files go below the test's home, never the real one.
sh "$source_dir/desktop/install.sh" "$home"
entry="$XDG_DATA_HOME/applications/larderon.desktop"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ "$exec_line" = "\"$home/larderon\" %f" ] || fail "Exec line is: $exec_line"
grep -qx 'MimeType=application/x-larderon-recipe;' "$entry" || fail "no MimeType line in $(cat "$entry")"
grep -qx 'Icon=larderon' "$entry" || fail "no Icon line in $(cat "$entry")"
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
for size in 48 128 256; do
  icon="$XDG_DATA_HOME/icons/hicolor/${size}x$size/apps/larderon.png"
  [ "$(identify -format '%m %wx%h' "$icon")" = "PNG ${size}x$size" ] || fail "$icon is $(identify "$icon")"
done
if command -v update-mime-database >/dev/null; then
  grep -q ':application/x-larderon-recipe:\*\.rcp$' "$XDG_DATA_HOME/mime/globs2" ||
    fail "mime/globs2 does not map *.rcp"
fi


# The importer's preview is the second window of that title: 640 pixels wide.
wait_for_preview() {
  local id width
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its preview (another copy running?)"
    for id in $(xdotool search --name '^Recipe Importer$' 2>/dev/null); do
      width=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
      [ "$width" = 640 ] && { echo "$id"; return; }
    done
    sleep 0.1
  done
  fail "no preview window"
}

# Yes or No to the preview, Yes or No to deleting the original, then the
# continue picture; the program goes on to its menu, and is ended there.
answer_import() {
  local preview
  preview=$(wait_for_preview)
  sleep 0.5
  click "$preview" 60 440
  click "$preview" "$1" 440
  sleep 0.5
  click "$preview" 60 440
  end_at_menu
}

mkdir "$work/in box"
pie='"Apple pie","Bea","Gran"\r\n"Sweet and tart",4\r\n1\r\n"6 apples"\r\n1\r\n"Bake an hour."\r\n'
cake='"Almond cake","Cy",""\r\n"",8\r\n0\r\n0\r\n'
printf "$pie" >"$work/in box/Apple pie.rcp"
printf "$pie" >"$work/expected pie"
printf "$cake" >"$work/in box/Almond cake.rcp"
printf "$cake" >"$work/expected cake"

# As a file manager would: the Exec line with %f as the file's absolute path.
eval "set -- ${exec_line% %f}"
env -C / "$@" "$work/in box/Apple pie.rcp" >"$work/out.log" 2>&1 &
pid=$!
answer_import 200  # keep the original

cd "$home"
shopt -s nullglob
recipes=(Apple\ pie*.rcp)
[ "${#recipes[@]}" -eq 1 ] || fail "expected one imported pie, found: ${recipes[*]:-none}"
pie_file=${recipes[0]}
[[ "$pie_file" =~ ^Apple\ pie[0-9]+\.rcp$ ]] || fail "imported file is named $pie_file"
same "$pie_file" "$work/expected pie"
same "$work/in box/Apple pie.rcp" "$work/expected pie"
printf '1\r\n"Apple pie","Bea","Gran","%s"\r\n' "$pie_file" >"$work/one.ldr"
printf '0\r\n' >"$work/empty.ldr"
same default.ldr "$work/one.ldr"
same default.bak "$work/empty.ldr"

# A relative path in two arguments, from the directory it is relative to.
env -C "$work" "$home/larderon" in box/Almond cake.rcp >>"$work/out.log" 2>&1 &
pid=$!
answer_import 60  # delete the original
[ ! -e "$work/in box/Almond cake.rcp" ] || fail "the moved original is still there"
recipes=(Almond\ cake*.rcp)
[ "${#recipes[@]}" -eq 1 ] || fail "expected one imported cake, found: ${recipes[*]:-none}"
cake_file=${recipes[0]}
same "$cake_file" "$work/expected cake"
printf '2\r\n"Almond cake","Cy","","%s"\r\n"Apple pie","Bea","Gran","%s"\r\n' "$cake_file" "$pie_file" >"$work/two.ldr"
same default.ldr "$work/two.ldr"
same default.bak "$work/one.ldr"

# Remove the first recipe shown, the cake: Remove, Yes, Yes, continue.
./larderon >>"$work/out.log" 2>&1 &
pid=$!
menu=$(wait_for_window "Larderon - Main")
sleep 0.5
click "$menu" 100 375
wait_for_window "Recipe Removal" >/dev/null
sleep 0.3
click "$menu" 90 420
click "$menu" 60 425
click "$menu" 60 425
sleep 0.3
click "$menu" 60 425
end_at_menu
[ ! -e "$cake_file" ] || fail "the removed recipe's file is still there"
same "$pie_file" "$work/expected pie"
same default.ldr "$work/one.ldr"
same default.bak "$work/two.ldr"
echo "import_remove_e2e: desktop entry, two imports and a removal left the files as expected"
