#!/usr/bin/env bash
# Installs the Debian 12 packages the program, its tests and benchmarks need, when missing.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-base-dev-tools qt6-tools-dev libqt6opengl6-dev fonts-dejavu-core
          libcups2-dev cups cups-client
          libgtest-dev googletest libgmock-dev libbenchmark-dev hyperfine python3
          dpkg-dev desktop-file-utils libxml2-utils shared-mime-info)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
