#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing tavrin need, if missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-l10n-tools
    libgl-dev
    # QR codes of the web page's address.
    libqrencode-dev
    fonts-ipafont-gothic
    python3 iproute2 nftables
    # The relay's HTTPS test makes its own self-signed certificate at test time.
    openssl
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
