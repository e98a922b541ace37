#!/bin/bash
# Measures how the installed program starts, on a private Xvfb display with a
# black root: the shared libraries ldd lists for it, and over RUNS starts the
# median time from exec to the first picture of the main menu, the CPU time
# used by then, the resident memory at the menu and the libraries mapped
# there. The machine's load is printed before and after, since a shared
# machine slows the starts down.
# Usage: bench/startup.sh BUILD_DIR [RUNS]   (installs from BUILD_DIR into a
# fresh directory; run it under the same lock as the end-to-end tests, since
# a second copy of the program ends at once)
set -eu
build=$(cd "$1" && pwd)
runs=${2:-20}
probe="$build/bench/first_frame"
[ -x "$probe" ] || { echo "no $probe: build the first_frame target" >&2; exit 2; }

work=$(mktemp -d)
xvfb=
cleanup() {
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cmake --install "$build" --prefix "$work/program" >/dev/null
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" GSETTINGS_BACKEND=memory
mkdir -p "$HOME"
unset WAYLAND_DISPLAY

for n in $(seq $((100 + RANDOM % 300)) 500); do
  [ -e "/tmp/.X$n-lock" ] || break
done
Xvfb ":$n" -screen 0 1024x768x24 -br -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$n"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
listed=$(ldd "$work/program/larderon")
echo "ldd lists $(grep -c '=>\|ld-linux' <<<"$listed") libraries for larderon," \
  "$(grep -ci 'gtk\|gdk' <<<"$listed" || true) of them GTK or GDK;" \
  "$(ldd "$work/program/backup" | grep -ci 'gtk\|gdk' || true) GTK or GDK ones for backup"

: >"$work/results"
for _ in $(seq "$runs"); do
  "$probe" 300 "$work/program/larderon" >>"$work/results"
done
field() { sed -n "s/.*$1=\([0-9.-]*\).*/\1/p" "$work/results" | median; }
echo "median of $runs starts: exec to first frame $(field frame_ms) ms, CPU time by then $(field cpu_ms) ms," \
  "RSS at the menu $(( $(field rss_kb) / 1024 )).$(( $(field rss_kb) % 1024 * 10 / 1024 )) MB," \
  "$(field libraries) shared libraries mapped"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
