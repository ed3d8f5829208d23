#!/usr/bin/env bash
# Installs, through apt-get, what building, testing and running Quillet needs on Debian 12.
# Packages already present are left alone, so a second run costs nothing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
  libgettextpo-dev gettext
  libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-dejavu-core
  shared-mime-info
  appstream dpkg-dev
)
if [ "${1:-}" = "--gui" ]; then
  # To run the editor in a real window on a machine without a desktop.
  packages+=(xvfb xauth)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
