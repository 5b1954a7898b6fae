#!/usr/bin/env bash
# Set-up, build, launch and tests of Sorvane on Debian 12.
#   ./dev.sh run    install what is missing, build, start the editor
#   ./dev.sh test   install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")"

# libheif-dev brings libheif1 with its HEVC decoder (libde265) and encoder
# (x265, which the tests make HEIF photos with); qt6-image-formats-plugins
# holds Qt's TIFF and WebP readers.
packages=(cmake ninja-build g++ git qt6-base-dev libwmf-dev libbenchmark-dev clang-format
  fonts-ipafont-gothic fonts-ipafont-mincho adwaita-icon-theme poppler-utils libcups2-dev
  qt6-translations-l10n libxcb1-dev libjpeg62-turbo-dev libexiv2-dev pkg-config
  libheif-dev qt6-image-formats-plugins)
# Only the tests need these: a private CUPS scheduler that real print jobs go
# to, and an X server with a window manager for the real editor's windows.
test_packages=(cups-daemon cups-client xvfb openbox xdotool x11-utils)

# Installs the missing ones of the packages named; with "optional" first, a
# machine where nothing can be installed goes on without them.
install_packages() {
  local optional=false missing=() p
  if [ "${1:-}" = optional ]; then
    optional=true
    shift
  fi
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local cmd=(apt-get install -y --no-install-recommends "${missing[@]}")
  if [ "$(id -u)" -eq 0 ]; then
    apt-get update -q && DEBIAN_FRONTEND=noninteractive "${cmd[@]}"
  elif command -v sudo >/dev/null; then
    sudo apt-get update -q && sudo DEBIAN_FRONTEND=noninteractive "${cmd[@]}"
  elif $optional; then
    echo "note: without ${missing[*]} some tests will be skipped (install them as root to run them)" >&2
  else
    echo "Sorvane needs these Debian packages; install them as root, then run this again:" >&2
    echo "  ${cmd[*]}" >&2
    exit 1
  fi
}

build() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build --parallel
}

# The print tests send real jobs to a scheduler of their own (build/test-cups);
# without one they say they are skipped. In CI they must run.
start_test_cups() {
  local dir=build/test-cups vars
  if vars=$(tools/test-cups.sh start "$dir"); then
    trap "'$PWD/tools/test-cups.sh' stop '$PWD/$dir'" EXIT
    while IFS= read -r line; do export "${line?}"; done <<<"$vars"
  elif [ -n "${CI:-}" ]; then
    echo "CI: the test CUPS scheduler could not be started" >&2
    exit 1
  else
    echo "note: no test CUPS scheduler; the real print job tests will be skipped" >&2
  fi
}

case "${1:-}" in
  run)
    shift
    install_packages "${packages[@]}"
    build
    exec build/src/sorvane "$@"
    ;;
  test)
    install_packages "${packages[@]}"
    install_packages optional "${test_packages[@]}"
    build
    start_test_cups
    cd build
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel 2
    ;;
  *)
    echo "usage: $0 run | test" >&2
    exit 2
    ;;
esac
