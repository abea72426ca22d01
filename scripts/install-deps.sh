#!/usr/bin/env bash
# Installs the Debian 12 packages Kelvora needs to build, run and test, when any is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git clang-format clang-tidy
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libonig-dev libxlsxwriter-dev libzip-dev libexpat1-dev libgraphviz-dev graphviz qt6-svg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libfuzzer-14-dev
  fonts-ipafont-gothic chromium qt6-translations-l10n xvfb xauth
  python3-openpyxl
  nlohmann-json3-dev neovim
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
