#!/bin/bash
# Backs up recipes with the installed backup tool under Xvfb: through the GTK
# save dialog, cancelled with Escape, into a missing directory (message box),
# without a display on the console, and without the dialog module.
# Usage: backup_e2e.sh BUILD_DIR   (installed from there into a fresh directory)
set -eu
source "$(dirname "$0")/e2e_support.sh"
start_display
install_program "$1"
unset WAYLAND_DISPLAY

cd "$home"
printf '"Pie","Ann",""\r\n"Flaky",4\r\n' >100.rcp
printf '"Tart","Bo",""\r\n\351t\351\r\n' >"my tart.rcp"
printf '2\r\n"Pie","Ann","","100.rcp"\r\n"Tart","Bo","","my tart.rcp"\r\n' >default.ldr
printf '0\r\n' >favs.ldr
printf '1\r\n"Pie","Ann","","100.rcp"\r\n' >default.bak
printf 'not a recipe\n' >notes.txt
printf 'half written' >.default.ldr.1-1
data=(100.rcp default.bak default.ldr favs.ldr "my tart.rcp")
saves="$work/my saves"
mkdir -p "$saves"

# The archive lists every data file and nothing else, each byte for byte.
expect_backup() {
  [ -f "$1" ] || fail "no archive $1 (tool output: $(cat "$work/out.log" 2>/dev/null))"
  local listed
  listed=$(unzip -l "$1" | awk 'NR > 3 && /^-/ { exit } NR > 3 { sub(/^ *[0-9]+ +[^ ]+ +[^ ]+ +/, ""); print }' | LC_ALL=C sort)
  [ "$listed" = "$(printf '%s\n' "${data[@]}")" ] || fail "$1 lists: $listed"
  for f in "${data[@]}"; do
    unzip -p "$1" "$f" | cmp -s - "$f" || fail "$f differs in $1"
  done
}

# Starts the tool with these arguments and gives its process id.
start_backup() {
  ./backup "$@" >"$work/out.log" 2>&1 &
  pid=$!
}

# The save dialog: a name typed into it.
start_backup
dialog=$(wait_for_window 'Where to save your backup\?')
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
sleep 0.5
xdotool type --delay 40 -- "$saves/week"
sleep 0.5
xdotool key Return
status=0; wait_for_exit "$pid" || status=$?; pid=
[ "$status" -eq 0 ] || fail "the dialog backup ended with $status: $(cat "$work/out.log")"
expect_backup "$saves/week.zip"
[ ! -e ldr_backup.zip ] || fail "the archive stayed beside the tool"
rm "$saves/week.zip"

# Escape cancels: nothing is packed anywhere.
start_backup
dialog=$(wait_for_window 'Where to save your backup\?')
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
sleep 0.5
xdotool key Escape
status=0; wait_for_exit "$pid" || status=$?; pid=
[ "$status" -eq 0 ] || fail "the cancelled backup ended with $status"
[ -z "$(find "$work" -name '*.zip')" ] || fail "an archive appeared: $(find "$work" -name '*.zip')"

# A missing destination directory: the message box, status 1, and the archive
# waits beside the tool.
start_backup "$work/missing"
box=$(wait_for_window "LDR Info")
xdotool windowfocus --sync "$box" 2>/dev/null || true
sleep 0.5
xdotool key Return
status=0; wait_for_exit "$pid" || status=$?; pid=
[ "$status" -eq 1 ] || fail "the failed move ended with $status"
grep -qF "Backup failed: the archive could not be moved to $work/missing/ldr_backup.zip." "$work/out.log" ||
  fail "no message on standard error: $(cat "$work/out.log")"
expect_backup ldr_backup.zip

# No display: the question on the console; the old archive is replaced.
answer=$(echo "$saves/console" | env -u DISPLAY ./backup 2>&1) || fail "the console backup failed: $answer"
[ "$answer" = "Where to save your backup?" ] || fail "the console showed: $answer"
expect_backup "$saves/console.zip"
[ ! -e ldr_backup.zip ] || fail "the old archive stayed beside the tool"
rm "$saves/console.zip"
echo | env -u DISPLAY ./backup >/dev/null || fail "an empty line did not cancel"
[ -z "$(find "$work" -name '*.zip')" ] || fail "an empty line packed: $(find "$work" -name '*.zip')"
# GTK comes only with the dialog module. Without it, or with a broken one,
# the tool says why and asks on the console.
for program in backup larderon; do
  ! ldd "./$program" | grep -i 'gtk\|gdk' || fail "$program is linked with GTK"
done
mv ldr_gtk_dialogs.so "$work/module.so"
for module in missing broken; do
  [ "$module" = missing ] || printf 'not a library' >ldr_gtk_dialogs.so
  answer=$(echo | ./backup 2>&1) || fail "the backup without a $module module ended with $?"
  grep -qxF "Where to save your backup?" <<<"$answer" || fail "no console question with a $module module: $answer"
  grep -q "^Dialogs could not be shown: .*/ldr_gtk_dialogs.so: " <<<"$answer" ||
    fail "a $module module is not reported: $answer"
done
mv "$work/module.so" ldr_gtk_dialogs.so
echo "backup_e2e: dialog, Escape, failed move and console backups behave, and a missing dialog module is reported"
