#!/bin/sh
# Lets the desktop open recipe files (*.rcp) with Larderon: writes the
# program's icon, desktop entry and the recipe file type into the user's data
# directory (${XDG_DATA_HOME:-$HOME/.local/share}) and refreshes the desktop's
# caches of them. Running it again replaces the same files.
# Usage: desktop/install.sh INSTALL_DIR   (the directory holding larderon)
set -eu

[ $# -eq 1 ] || { echo "usage: $0 INSTALL_DIR" >&2; exit 2; }
dir=$(cd "$1" && pwd -P)
[ -x "$dir/larderon" ] || { echo "$0: no larderon program in $dir" >&2; exit 1; }
case "$dir" in
*"
"*) echo "$0: the install directory's name holds a line break" >&2; exit 1 ;;
esac

data=${XDG_DATA_HOME:-$HOME/.local/share}
for size in 48 128 256; do
  [ -f "$dir/icons/larderon-$size.png" ] || { echo "$0: no icons in $dir/icons" >&2; exit 1; }
done
mkdir -p "$data/applications" "$data/mime/packages"

# The program's path in the Exec key: quoted for the Exec line (a backslash
# before " ` $ and \), then escaped as a desktop entry string (each \
# doubled), and each % doubled so that it is not read as a field code.
program=$(printf '%s\n' "$dir/larderon" |
  sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g' -e 's/%/%%/g')

# Writes standard input to a file through a temporary one beside it, so the
# file is never seen half-written.
replace() {
  cat >"$1.new"
  mv -f "$1.new" "$1"
}

# The icon at each size in the hicolor theme, which every icon theme falls
# back to; touching the theme's directory tells icon caches to look again.
for size in 48 128 256; do
  mkdir -p "$data/icons/hicolor/${size}x$size/apps"
  replace "$data/icons/hicolor/${size}x$size/apps/larderon.png" <"$dir/icons/larderon-$size.png"
done
touch "$data/icons/hicolor"

replace "$data/applications/larderon.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Larderon
Comment=Keep your recipe collection
Exec="$program" %f
Icon=larderon
MimeType=application/x-larderon-recipe;
Terminal=false
Categories=Utility;
ENTRY

replace "$data/mime/packages/larderon.xml" <<'TYPE'
<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="application/x-larderon-recipe">
    <comment>Larderon recipe</comment>
    <sub-class-of type="text/plain"/>
    <glob pattern="*.rcp"/>
  </mime-type>
</mime-info>
TYPE

if command -v update-mime-database >/dev/null 2>&1; then
  update-mime-database "$data/mime"
fi
if command -v update-desktop-database >/dev/null 2>&1; then
  update-desktop-database "$data/applications"
fi
