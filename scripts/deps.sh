#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, when run as root and
# something is missing. Anyone else only gets told what to install.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git ccache
    libsdl2-dev libfreetype-dev libicu-dev libstb-dev libspng-dev libespeak-ng-dev espeak-ng-data fonts-dejavu-core fonts-font-awesome fonts-dejavu-extra
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    gettext clang libclang-rt-14-dev
    xvfb xauth xdotool imagemagick sox
    libsystemd-dev dbus dpkg-dev file systemd
    debhelper help2man lintian python3
    bluez bluez-obexd ofono python3-dbusmock
    socat
    cage grim xwayland
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
