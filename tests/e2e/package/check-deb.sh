#!/usr/bin/env bash
# Builds the .deb from the build folder, lists it, unpacks it into a scratch root and checks the
# layout and the user unit; then runs the unpacked program as an ordinary user, whose data must
# land in that user's own folder, never in the read-only application folder.
# Usage: check-deb.sh <build folder>. Exit 77 (skipped) without dpkg-deb.
set -euo pipefail

build=$(cd "$1" && pwd)
command -v dpkg-deb >/dev/null || { echo "dpkg-deb not installed"; exit 77; }
command -v cpack >/dev/null || { echo "cpack not installed"; exit 77; }

scratch=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/out/ostrilan_*.deb)
echo "package: $(basename "$deb")"

dpkg-deb -c "$deb" | awk '{print $6}' > "$scratch/contents"
for path in ./opt/ostrilan/ostrilan ./opt/ostrilan/ostrilan-modsim ./opt/ostrilan/ostrilan-peer \
    ./opt/ostrilan/lang/lang_eng.bin ./opt/ostrilan/ringtone/ring_1.wav \
    ./opt/ostrilan/images/bg_main.pbg ./opt/ostrilan/FileBox/QuorvaApps/Common/Sound/btnClick.snd \
    ./usr/share/applications/ostrilan.desktop ./usr/lib/systemd/user/ostrilan.service \
    ./usr/share/doc/ostrilan/examples/99-ostrilan-module.rules; do
    grep -qx "$path" "$scratch/contents" || fail "$path is not in the package"
done
# What the program writes never ships: it belongs to each user.
! grep -Eq '^\./opt/ostrilan/(data|registry|run)/' "$scratch/contents" || fail "user data in the package"
dpkg-deb -f "$deb" Depends | grep -q libsdl2 || fail "no library dependencies"
dpkg-deb -e "$deb" "$scratch/control"
[ -x "$scratch/control/postinst" ] || fail "no postinst"

root=$scratch/root
dpkg -x "$deb" "$root"
[ -x "$root/opt/ostrilan/ostrilan" ] || fail "program not executable"
[ "$(ls "$root/opt/ostrilan/fonts" | wc -l)" -ge 1 ] || fail "no fonts"

unit=$root/usr/lib/systemd/user/ostrilan.service
grep -qx 'ExecStart=/opt/ostrilan/ostrilan HIDE' "$unit" || fail "unit does not start the program hidden"
grep -qx 'WantedBy=graphical-session.target' "$unit" || fail "unit not started at login"
grep -qx 'Exec=/opt/ostrilan/ostrilan SHOW' "$root/usr/share/applications/ostrilan.desktop" || fail "desktop entry"
if command -v systemd-analyze >/dev/null; then
    # Verified as a user unit, with ExecStart pointing into the scratch root where the program is;
    # any complaint (an unknown key, a bad value) fails the check.
    mkdir -p "$scratch/verify" "$scratch/runtime"
    chmod 700 "$scratch/runtime"
    sed "s|/opt/ostrilan/|$root/opt/ostrilan/|g" "$unit" > "$scratch/verify/ostrilan.service"
    XDG_RUNTIME_DIR=$scratch/runtime systemd-analyze verify --user "$scratch/verify/ostrilan.service" \
        >"$scratch/verify.log" 2>&1 || { cat "$scratch/verify.log"; fail "systemd-analyze verify"; }
    [ ! -s "$scratch/verify.log" ] || { cat "$scratch/verify.log"; fail "systemd-analyze verify warned"; }
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/ostrilan.desktop" || fail "desktop entry invalid"
fi

# The unpacked program, run by a user who may not write into its folder.
home=$scratch/home
mkdir -p "$home"
chmod 755 "$scratch"
chmod 777 "$home"
run=(env -i HOME="$home" PATH=/usr/bin:/bin OSTRILAN_DISPLAY=headless OSTRILAN_COM2="$scratch/no-module")
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || { echo "setpriv not installed"; exit 77; }
    run=(setpriv --reuid=nobody --regid=nogroup --clear-groups "${run[@]}")
else
    chmod -R a-w "$root/opt/ostrilan"
fi
"${run[@]}" "$root/opt/ostrilan/ostrilan" HIDE 2>"$scratch/stderr" &
pid=$!
registry=$home/.local/share/ostrilan/registry/HKEY_LOCAL_MACHINE.reg
for _ in $(seq 100); do
    [ -s "$registry" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[ -s "$registry" ] || { cat "$scratch/stderr"; fail "no registry in the user's folder"; }
kill "$pid"; wait "$pid" 2>/dev/null || true; pid=
grep -q "serial port COM2: cannot open $scratch/no-module" "$scratch/stderr" || {
    cat "$scratch/stderr"; fail "no diagnostic line for the missing serial port"; }
[ ! -e "$root/opt/ostrilan/data" ] && [ ! -e "$root/opt/ostrilan/registry" ] && [ ! -e "$root/opt/ostrilan/run" ] \
    || fail "the program wrote into its installed folder"
echo "package layout, unit and per-user data folder: ok"
