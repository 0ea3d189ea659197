#!/usr/bin/env bash
# Installs what is missing, builds the application folder (the programs below and what they read;
# no tests) and starts the application.
#
#   With a display (DISPLAY or WAYLAND_DISPLAY): the module simulator on a pseudo-terminal, the
#   application's window against it, and the simulator's console in this terminal (docs/run.md).
#   Without one: the scripted tour (ostrilan-tour) in virtual time; screenshots, trace and module
#   log land in build/tour/, and the exit code is 0 only when every step happened.
#   With OSTRILAN_COM2 set: a real module is attached there; the application starts, no simulator.
#   Beside the application (not the tour) runs ostrilan-status: clock, battery and lock.
#   With OSTRILAN_MODULE=bluez: ostrilan-bluez plays the module with this machine's BlueZ and oFono
#   behind it (docs/bluetooth.md), and the application (its window, given a display) runs against it.
#
# Arguments go to the application (or to the tour when it runs).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target ostrilan_runnable
app=build/app

module=${OSTRILAN_MODULE:-sim}
case "$module" in
sim | bluez) ;;
*) echo "run.sh: OSTRILAN_MODULE is sim or bluez, not \"$module\"" >&2; exit 2 ;;
esac
headless=
if { [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; } || [ "${OSTRILAN_DISPLAY:-}" = headless ]; then
    headless=1
fi
if [ -z "${OSTRILAN_COM2:-}" ] && [ "$module" = sim ] && [ -n "$headless" ]; then
    exec "$app/ostrilan-tour" --out build/tour "$@"
fi

run=$(mktemp -d /tmp/ostrilan-run-XXXXXX)
sim_pid=
app_pid=
cat_pid=
status_pid=
# SIGTERM closes the application as Quit, Yes does; anything still running two seconds later
# (a program that hangs) is killed.
cleanup() {
    for pid in $app_pid $status_pid $sim_pid $cat_pid ${bridge_pid:-}; do
        kill "$pid" 2>/dev/null || continue
        for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$run"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The device's status program beside the application, on the same root: the clock, the battery
# (UPower) and the lock (logind). Its complaints (no system bus) go to its log.
"$app/ostrilan-status" </dev/null >/dev/null 2>build/run-status.log &
status_pid=$!

# Runs the application on the module line $1 until it ends and leaves with its exit code; cleanup
# ends the rest.
run_app() {
    local line=$1
    shift
    OSTRILAN_COM2=$line "$app/ostrilan" "$@" &
    app_pid=$!
    set +e
    wait "$app_pid"
    code=$?
    app_pid=
    exit "$code"
}

if [ -n "${OSTRILAN_COM2:-}" ]; then
    run_app "$OSTRILAN_COM2" "$@"
fi

if [ "$module" = bluez ]; then
    "$app/ostrilan-bluez" --link "$run/com2" --trace build/run-bluez.log --log build/run-module.log \
        >"$run/bridge.out" &
    bridge_pid=$!
    for _ in $(seq 100); do [ -s "$run/bridge.out" ] && break; sleep 0.1; done
    IFS= read -r first <"$run/bridge.out" || { echo "run.sh: ostrilan-bluez did not start" >&2; exit 1; }
    export OSTRILAN_TRACE=${OSTRILAN_TRACE:-$PWD/build/run-trace.txt}
    cat <<EOF
ostrilan-bluez plays the Bluetooth module on ${first#pty } with BlueZ and oFono behind it; the
application is starting. Pair a phone from Pairing, or connect one paired already from Connect.
Bridge trace: build/run-bluez.log   module log: build/run-module.log   trace: $OSTRILAN_TRACE
Ctrl-C ends both. Setting up BlueZ, oFono and the call audio: docs/bluetooth.md.
EOF
    run_app "$run/com2" "$@"
fi

# The simulator reads its console from this terminal; its output comes through a pipe so that the
# first line, the pseudo-terminal's path, can be read here before the application starts.
mkfifo "$run/console"
"$app/ostrilan-modsim" --control "$run/modsim.sock" --log build/run-module.log 0<&0 >"$run/console" &
sim_pid=$!
exec 3<"$run/console"
IFS= read -r -t 10 first <&3 || { echo "run.sh: the simulator did not start" >&2; exit 1; }
pty=${first#pty }
cat <&3 &
cat_pid=$!

export OSTRILAN_TRACE=${OSTRILAN_TRACE:-$PWD/build/run-trace.txt}
cat <<EOF
The module simulator plays the Bluetooth module on $pty; the application's window is opening.
Trace: $OSTRILAN_TRACE   module log: build/run-module.log
Simulator commands (type them here; "help" lists them all):
  ring 5551234     a call comes in (connect a phone first: Connect, pick a phone, Connect)
  answer           the phone answers (an incoming call, or the far end of a dialled one)
  hangup           the other side hangs up
  pair "My phone"  while the device is pairable (Pair Mode, Pairing): that phone pairs
  linkdown         the phone drops the link
  state            what the module is doing
Close the window (Quit, Yes) or press Ctrl-C to end both.
EOF
run_app "$pty" "$@"
