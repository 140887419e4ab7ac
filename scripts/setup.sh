#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and its benchmarks need.
# Only what is missing is installed, so running it again costs nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
  libsqlcipher-dev sqlcipher libssl-dev
  libchm-dev libchm-bin fp-utils
  libgtest-dev libbenchmark-dev
  fonts-ipafont-gothic xvfb xauth imagemagick openbox xdotool
  qt6-translations-l10n desktop-file-utils appstream dpkg-dev fakeroot file
  poppler-utils python3 lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
