#!/bin/sh
# Sets Larderon up on Debian 12 and then either starts it or runs every test.
#   ./setup.sh run    install what is missing, build, install into $LARDERON_HOME
#                     (default ~/Larderon) and start the program there
#   ./setup.sh test   install what is missing, build and run every test
set -eu
cd "$(dirname "$0")"
what=${1:-run}

packages="g++ cmake pkg-config libsdl2-dev libjpeg62-turbo-dev libpng-dev libgtk-3-dev console-setup-linux
libxml2-dev nlohmann-json3-dev libarchive-dev libyaml-cpp-dev libgtest-dev libbenchmark-dev zip"
[ "$what" = test ] && packages="$packages xvfb xdotool x11-utils imagemagick unzip desktop-file-utils
chromium poppler-utils"

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
fi

jobs=$(nproc 2>/dev/null || echo 2)
case "$what" in
run)
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
  cmake --build build -j "$jobs" --target larderon backup import-recipes export-recipes artwork
  home=${LARDERON_HOME:-$HOME/Larderon}
  cmake --install build --prefix "$home"
  sh desktop/install.sh "$home" || echo "Opening .rcp files from the file manager is not set up." >&2
  cd "$home"
  exec ./larderon
  ;;
test)
  # The unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
  # Both builds treat compiler warnings as errors, so that none come back; the
  # second is built as `run` builds it, since some warnings show only there.
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DLDR_SANITIZE=ON -DLDR_WERROR=ON
  cmake --build build-sanitize -j "$jobs" --target unit_tests
  build-sanitize/tests/unit_tests --gtest_brief=1
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DLDR_WERROR=ON
  cmake --build build -j "$jobs"
  cd build
  ctest --output-on-failure -j 1
  ;;
*)
  echo "usage: ./setup.sh run | test" >&2
  exit 2
  ;;
esac
