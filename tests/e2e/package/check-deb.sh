#!/usr/bin/env bash
# The Debian package built and lintian-clean; --install (only as root with OSTRILAN_PACKAGE_TEST=1
# and no ostrilan installed, else 77) installs it, takes one missed call as a user, and purges it.
# Usage: check-deb.sh <build folder> [--install]. Exit 77 (skipped) without the packaging tools.
set -euo pipefail

install=
[ "${2:-}" = --install ] && install=yes
if [ -n "$install" ] && [ "${OSTRILAN_PACKAGE_TEST:-}" != 1 ]; then
    echo "install, run and purge only with OSTRILAN_PACKAGE_TEST=1 (scripts/test.sh package)"
    exit 77
fi

here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../../.." && pwd)
build=$(cd "$1" && pwd)
for tool in dpkg-deb dh_installsystemduser help2man lintian; do
    command -v "$tool" >/dev/null || { echo "$tool not installed"; exit 77; }
done

scratch=$(mktemp -d)
pids=()
installed=
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    [ -n "$installed" ] && apt-get purge -y -qq -o DPkg::Lock::Timeout=300 ostrilan >/dev/null 2>&1
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
until_ok() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do [ $SECONDS -lt $deadline ] || return 1; sleep 0.1; done
}
say() { "$here/../xvfb/automation.py" say "$1" "$2"; }

"$src/packaging/make-deb.sh" "$build" "$scratch/out" >"$scratch/make.log" 2>&1 || { cat "$scratch/make.log"; fail "make-deb.sh"; }
deb=$(ls "$scratch"/out/ostrilan_*.deb)

lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 || { cat "$scratch/lintian.log"; fail "lintian"; }

# The paths the program relies on that the run below does not reach; lintian checks the layout.
dpkg-deb -c "$deb" | awk '{print $6}' >"$scratch/contents"
for path in ./usr/lib/ostrilan/ostrilan-peer ./usr/share/ostrilan/ringtone/ring_1.wav \
    ./usr/lib/ostrilan/ostrilan-status ./usr/share/man/man1/ostrilan-status.1.gz ./usr/lib/ostrilan/ostrilan-say \
    ./usr/share/ostrilan/images/bg_main.pbg ./usr/share/ostrilan/FileBox/QuorvaApps/Common/Sound/btnClick.snd \
    ./usr/share/ostrilan/skins/large/skin.layout ./usr/share/ostrilan/skins/large/images/bg_main.pbg \
    ./usr/share/applications/ostrilan.desktop; do
    grep -qx "$path" "$scratch/contents" || fail "$path is not in the package"
done
# Fonts come from the font packages; what the program writes belongs to each user.
! grep -Eq '\.ttf$|/(data|registry|run)/' "$scratch/contents" || fail "fonts or user data in the package"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in fonts-dejavu-core fonts-dejavu-extra libsdl2 libespeak-ng1 espeak-ng-data init-system-helpers; do
    grep -q "$dep" <<<"$depends" || fail "no dependency on $dep: $depends"
done

[ -n "$install" ] || exit 0
[ "$(id -u)" -eq 0 ] || { echo "not root: install, run and purge skipped"; exit 77; }
command -v apt-get >/dev/null && command -v setpriv >/dev/null || { echo "apt-get or setpriv missing"; exit 77; }
if dpkg-query -W -f='${Status}' ostrilan 2>/dev/null | grep -q installed; then
    echo "ostrilan is installed on this machine: install, run and purge skipped"
    exit 77
fi
leftovers() { find /usr /etc /var/lib/systemd -name '*ostrilan*' 2>/dev/null; }
[ -z "$(leftovers)" ] || { leftovers; echo "files of another ostrilan in /usr or /etc: install skipped"; exit 77; }

installed=yes
apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=300 "$deb" >"$scratch/apt.log" 2>&1 \
    || { cat "$scratch/apt.log"; fail "apt-get install"; }
[ -L /etc/systemd/user/graphical-session.target.wants/ostrilan.service ] || fail "user unit not enabled for all users"
[ -L /etc/systemd/user/ostrilan.service.wants/ostrilan-status.service ] || fail "the status program does not start with the application"
if command -v systemd-analyze >/dev/null; then
    mkdir -m 700 "$scratch/runtime"
    XDG_RUNTIME_DIR=$scratch/runtime systemd-analyze verify --user /usr/lib/systemd/user/ostrilan.service \
        >"$scratch/verify.log" 2>&1 || { cat "$scratch/verify.log"; fail "systemd-analyze verify"; }
    [ ! -s "$scratch/verify.log" ] || { cat "$scratch/verify.log"; fail "systemd-analyze verify warned"; }
fi

user=$scratch/user
mkdir -p "$user/home"
chmod 755 "$scratch"
chown -R nobody:nogroup "$user"
as=(setpriv --reuid=nobody --regid=nogroup --clear-groups env -i HOME="$user/home" PATH=/usr/bin:/bin)
"${as[@]}" ostrilan-modsim --no-console --control "$user/sim.sock" --ring-timeout 600000 \
    >"$user/sim.out" 2>"$scratch/sim.err" &
pids+=($!)
until_ok 10 grep -q '^pty ' "$user/sim.out" || { cat "$scratch/sim.err"; fail "the simulator printed no terminal"; }
pty=$(sed -n 's/^pty //p' "$user/sim.out" | head -1)
"${as[@]}" OSTRILAN_DISPLAY=headless OSTRILAN_AUDIO=null OSTRILAN_COM2="$pty" OSTRILAN_CLOCK=virtual \
    OSTRILAN_AUTOMATION="$user/app.sock" OSTRILAN_TRACE="$user/trace" ostrilan HIDE 2>"$scratch/app.err" &
app=$!
pids+=($app)
app_says() { [ "$(say "$user/app.sock" "$1")" = ok ]; }
sim_state() { say "$user/sim.sock" state | grep -q "^ok state $1 "; }
until_ok 10 test -S "$user/app.sock" && app_says idle || { cat "$scratch/app.err"; fail "the program did not start"; }

# The device reconnects to the last phone a minute after the start.
app_says "advance 60000" || fail "advance"
until_ok 20 sim_state 4 || fail "the phone did not connect: $(say "$user/sim.sock" state)"
[ "$(say "$user/sim.sock" "ring 5551234")" = "ok ringing" ] || fail "ring"
until_ok 20 grep -q 'screen open .* CDlgIncoming' "$user/trace" || fail "no incoming call screen"
# The read-only files were found: the ring tone plays, the caller shows in the catalog's texts.
grep -q 'sound play /usr/share/ostrilan/ringtone/' "$user/trace" || fail "no ring tone from /usr/share/ostrilan"
# The caller is said by the helper in /usr/lib/ostrilan.
until_ok 20 grep -q 'sound speech ready' "$user/trace" || { cat "$scratch/app.err"; fail "the caller's speech was not made"; }
app_says idle && say "$user/app.sock" texts >"$scratch/texts"
grep -q '"Incoming call"' "$scratch/texts" && grep -q '"5551234"' "$scratch/texts" || { cat "$scratch/texts"; fail "texts"; }
[ "$(say "$user/sim.sock" hangup)" = "ok call over" ] || fail "hangup"
until_ok 20 sim_state 4 || fail "the call did not end"
data=$user/home/.local/share/ostrilan/data
missed_logged() { app_says "advance 1000" && [ -s "$data/MissedCall.dat" ]; }
until_ok 20 missed_logged || fail "no MissedCall.dat in the user's folder: $(ls -R "$user/home")"
grep -aq 5551234 "$data/MissedCall.dat" || fail "the missed call is not the caller's"
app_says quit || fail "quit"
until_ok 20 eval '! kill -0 $app 2>/dev/null' || fail "the program did not end"
wait "$app" || fail "the program ended with $?"
[ -s "$user/home/.local/share/ostrilan/registry/HKEY_LOCAL_MACHINE.reg" ] || fail "no registry in the user's folder"

installed=
apt-get purge -y -qq -o DPkg::Lock::Timeout=300 ostrilan >"$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "apt-get purge"; }
[ -z "$(leftovers)" ] || { leftovers; fail "the purge left files behind"; }
