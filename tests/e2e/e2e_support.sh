# Shared steps of the end-to-end tests: a private X display, a fresh install
# of the program, waiting for windows and reading pixels.
work=$(mktemp -d)
home="$work/home"
pids_to_end=()
# Nothing a test starts may touch the real home directory.
export HOME="$work/user" XDG_DATA_HOME="$work/user/.local/share"
# The tests click at the program's own pixels.
export LARDERON_SCALE=1
mkdir -p "$HOME"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cleanup() {
  for p in "${pids_to_end[@]}" ${pid:-}; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

start_display() {
  local n
  for n in $(seq $((100 + RANDOM % 300)) 500); do
    [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 1024x768x24 -noreset >/dev/null 2>&1 &
  pids_to_end+=($!)
  export DISPLAY=":$n" GSETTINGS_BACKEND=memory
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
  fail "Xvfb did not start"
}

install_program() {
  cmake --install "$1" --prefix "$home" >/dev/null
}

# Prints the id of the window with that exact title once it exists.
wait_for_window() {
  local id
  id=$(timeout 20 xdotool search --sync --name "^$1\$" | head -1) || true
  [ -n "$id" ] || fail "no window titled '$1'"
  echo "$id"
}

click() {
  xdotool mousemove --window "$1" "$2" "$3"
  sleep 0.2
  xdotool click 1
  sleep 0.4
}

# Waits up to 10 s for a process to end and gives its exit code.
wait_for_exit() {
  for _ in $(seq 100); do
    kill -0 "$1" 2>/dev/null || { wait "$1"; return $?; }
    sleep 0.1
  done
  fail "process $1 did not end"
}

# "r g b" of one pixel of a picture file.
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}

# Whether two "r g b" colours lie within the JPEG codec's error of each other.
close_colours() {
  local a=($1) b=($2) i d
  for i in 0 1 2; do
    d=$((a[i] - b[i]))
    [ "${d#-}" -le 12 ] || return 1
  done
}

# Compares a file with the expected one and shows both when they differ.
same() {
  if ! cmp -s "$1" "$2"; then
    echo "--- $1 differs from what was expected:" >&2
    od -c "$1" >&2 || true
    echo "--- expected:" >&2
    od -c "$2" >&2
    return 1
  fi
}

# Waits for the main menu, then ends the program started as $pid.
end_at_menu() {
  wait_for_window "Larderon - Main" >/dev/null
  sleep 0.3
  kill -TERM "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
}

# Export on the list browser window $1: the save dialog takes the name $2 in
# its first filter (plain text), then the "LDR Info" box is answered.
export_as_text() {
  click "$1" 150 420
  local dialog info
  dialog=$(wait_for_window "Save As")
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  sleep 0.5
  xdotool type --delay 60 "$2"
  sleep 0.5
  xdotool key Return
  info=$(wait_for_window "LDR Info")
  xdotool windowfocus --sync "$info" 2>/dev/null || true
  sleep 0.3
  xdotool key Return
}
