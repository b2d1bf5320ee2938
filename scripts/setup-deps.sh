#!/usr/bin/env bash
# Installs every build and test dependency of the project on Debian 12.
# Idempotent: packages already present are left as they are.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-qpa-plugins
  libqcustomplot-dev libqcustomplot2.1-qt6
  libtinyxml-dev libudev-dev
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  libasio-dev python3-pyvisa python3-pyvisa-py
  xvfb xauth imagemagick
  python3 locales
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup-deps: all build dependencies are installed"
else
  echo "setup-deps: installing ${missing[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The number-format tests run under a locale whose decimal separator is ",".
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "setup-deps: generating the de_DE.UTF-8 locale"
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
