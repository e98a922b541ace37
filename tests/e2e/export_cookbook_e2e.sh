#!/bin/bash
# Exports a small collection as a cookbook with the export-recipes tool and
# looks at it in a real browser: printed to PDF by headless Chromium, every
# recipe starts a page and keeps its text, markup-like text shows as typed;
# on screen it is not blank.
# Usage: export_cookbook_e2e.sh EXPORT_RECIPES_PROGRAM
set -eu
source "$(dirname "$0")/e2e_support.sh"
export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
mkdir -p "$home"
cp "$1" "$home/export-recipes"

recipe() {  # FILE NAME DIRECTION: a recipe file with two ingredients
  printf '"%s","Ann","Cards"\r\n"A test",4\r\n2\r\n"2 c flour"\r\n"1 c %s"\r\n1\r\n"%s"\r\n' "$2" "$2" "$3" >"$home/$1"
}
recipe a.rcp "Apple Pie" "Bake until golden."
recipe b.rcp "Mint Tea" "Pour on the leaves."
recipe c.rcp "Markup <b>Bold</b> &amp; Co" "Stir &amp; serve <i>hot</i>."
printf '3\r\n"Apple Pie","Ann","Cards","a.rcp"\r\n"Markup <b>Bold</b> &amp; Co","Ann","Cards","c.rcp"\r\n"Mint Tea","Ann","Cards","b.rcp"\r\n' \
  >"$home/default.ldr"

cd "$work"
"$home/export-recipes" cookbook.html >out.txt 2>err.txt || fail "the export ended with $?: $(cat err.txt)"
[ "$(cat out.txt)" = "Exported 3 recipes to cookbook.html." ] || fail "the summary said: $(cat out.txt)"
! grep -qi -e '<script' -e 'src=' -e 'http://' -e '@import' cookbook.html || fail "the cookbook has a script or fetches something"

browser() {
  timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$(mktemp -d -p "$work")" "$@" >>browser.log 2>&1
}
browser --print-to-pdf="$work/cookbook.pdf" --no-pdf-header-footer "file://$work/cookbook.html" || true
[ -s cookbook.pdf ] || fail "Chromium printed nothing: $(tail -5 browser.log)"

# The title page, one page of contents, then a page for each recipe.
pages=$(pdfinfo cookbook.pdf | awk '/^Pages:/ {print $2}')
[ "$pages" = 5 ] || fail "the cookbook printed on $pages pages, not 5"
page=3
for name in "Apple Pie" "Markup <b>Bold</b> &amp; Co" "Mint Tea"; do
  pdftotext -layout -f "$page" -l "$page" cookbook.pdf page.txt
  [ "$(grep -v '^\s*$' page.txt | head -1 | sed 's/^ *//; s/ *$//')" = "$name" ] ||
    fail "page $page does not start with $name: $(head -3 page.txt)"
  grep -q "1 c $name" page.txt || fail "page $page lost an ingredient of $name"
  page=$((page + 1))
done
pdftotext cookbook.pdf all.txt
grep -qF 'Stir &amp; serve <i>hot</i>.' all.txt || fail "the markup-like direction did not show as typed"
for name in "Apple Pie" "Markup <b>Bold</b> &amp; Co" "Mint Tea"; do
  [ "$(grep -cF "$name" all.txt)" -ge 3 ] || fail "$name is not in the contents, its heading and its ingredient"
done

browser --screenshot="$work/shot.png" --window-size=800,600 "file://$work/cookbook.html" || true
[ -s shot.png ] || fail "Chromium took no screenshot: $(tail -5 browser.log)"
spread=$(convert shot.png -format '%[fx:standard_deviation]' info:)
awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }' || fail "the screenshot is blank (deviation $spread)"
echo "export_cookbook_e2e: passed"
