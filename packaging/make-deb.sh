#!/usr/bin/env bash
# Assembles the Debian package from a finished build: installs it with the prefix /usr into the
# package's tree and runs the debhelper tools over it (manual pages, changelog, copyright, the
# user units' maintainer scripts, stripping, compression, permissions, library dependencies).
# Usage: make-deb.sh <build folder> <output folder>. Prints the path of the .deb.
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)

for tool in dh_installsystemduser dh_installsystemd dpkg-parsechangelog help2man; do
    command -v "$tool" >/dev/null || { echo "make-deb.sh: $tool is missing (scripts/deps.sh installs it)" >&2; exit 2; }
done

# debhelper works in a source-like tree: debian/ with the package's files in debian/ostrilan.
work=$build/deb
rm -rf "$work"
mkdir -p "$work"
cp -r "$src/packaging/debian" "$work/debian"
cd "$work"

version=$(dpkg-parsechangelog -S Version)
cmake_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
if [ "$version" != "$cmake_version" ]; then
    echo "make-deb.sh: debian/changelog is at $version but the project at $cmake_version" >&2
    exit 1
fi

pkg=$work/debian/ostrilan
DESTDIR=$pkg cmake --install "$build" --prefix /usr >"$work/install.log"

# A cross build (scripts/cross.sh) names the board's architecture: debhelper then strips with the
# cross tools, looks up library dependencies among that architecture's packages and names the
# package after it; its programs answer --help through the build's emulator.
arch=$(sed -n 's/^OSTRILAN_DEB_ARCH:[A-Z]*=//p' "$build/CMakeCache.txt")
emulator=
if [ -n "$arch" ]; then
    eval "$(dpkg-architecture -a"$arch" -s 2>/dev/null)"
    emulator=qemu-$DEB_HOST_GNU_CPU
fi
# runnable <path>: a command help2man can run for the program at <path>, under its own name.
runnable() {
    [ -z "$emulator" ] && { echo "$1"; return; }
    mkdir -p "$work/emulated"
    printf '#!/bin/sh\nexec %s %s "$@"\n' "$emulator" "$1" >"$work/emulated/$(basename "$1")"
    chmod +x "$work/emulated/$(basename "$1")"
    echo "$work/emulated/$(basename "$1")"
}

# The simulator's page comes from its own --help, so it cannot fall behind its options.
help2man --no-info --version-string="$version" --section=1 \
    --name="simulated Bluetooth hands-free module for ostrilan" \
    --output="$work/ostrilan-modsim.1" "$(runnable "$pkg/usr/bin/ostrilan-modsim")"
help2man --no-info --version-string="$version" --section=1 \
    --name="clock, battery and lock messages for ostrilan" \
    --output="$work/ostrilan-status.1" "$(runnable "$pkg/usr/lib/ostrilan/ostrilan-status")"

export DH_QUIET=1
dh_testdir
dh_installdocs
dh_installchangelogs
dh_installman "$src/packaging/man/ostrilan.1" "$work/ostrilan-modsim.1" "$work/ostrilan-status.1"
# The bridge's unit is there for a user who has no serial module; it starts only when enabled.
dh_installsystemduser ostrilan.service
# Started with the application, as the device's status program ran beside it.
dh_installsystemduser ostrilan-status.service
dh_installsystemduser --no-enable ostrilan-bluez.service
# The kiosk takes over the console: only the one bringing up a device enables it.
dh_installsystemd --no-enable --no-start ostrilan-kiosk.service
dh_lintian
dh_link
dh_strip --no-automatic-dbgsym
dh_compress
dh_fixperms
dh_shlibdeps
dh_installdeb
dh_gencontrol
dh_md5sums
dh_builddeb --destdir="$out" >"$work/builddeb.log"

ls "$out"/ostrilan_"$version"_*.deb
