#!/usr/bin/env bash
# Set-up, build, launch and tests of Sorvane on Debian 12.
#   ./dev.sh run    install what is missing, build, start the editor
#   ./dev.sh test   install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ git qt6-base-dev libwmf-dev libbenchmark-dev clang-format
  fonts-ipafont-gothic fonts-ipafont-mincho adwaita-icon-theme poppler-utils libcups2-dev)

install_packages() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local cmd=(apt-get install -y --no-install-recommends "${missing[@]}")
  if [ "$(id -u)" -eq 0 ]; then
    apt-get update -q && DEBIAN_FRONTEND=noninteractive "${cmd[@]}"
  elif command -v sudo >/dev/null; then
    sudo apt-get update -q && sudo DEBIAN_FRONTEND=noninteractive "${cmd[@]}"
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

case "${1:-}" in
  run)
    shift
    install_packages
    build
    exec build/src/sorvane "$@"
    ;;
  test)
    install_packages
    build
    cd build
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel 2
    ;;
  *)
    echo "usage: $0 run | test" >&2
    exit 2
    ;;
esac
