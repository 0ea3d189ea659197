#!/usr/bin/env bash
# With a display but no session bus, ended by SIGTERM: no process of its session is left and no
# session bus was autolaunched (libdbus records one under ~/.dbus). Exit 77: no virtual X server.
set -u
app_dir=$1
for tool in Xvfb xdotool setsid; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool missing"; exit 77; }
done

display=":$(( 500 + RANDOM % 400 ))"
. "$(dirname "$0")/x_session.sh"
in_session() { ps -eo sid=,pid=,args= | awk -v s="$1" '$1 == s'; }

mkdir -p "$work/home"
start_device

# setsid makes the program a session leader: its session id is its process id.
env -u DBUS_SESSION_BUS_ADDRESS -u XDG_RUNTIME_DIR HOME="$work/home" DISPLAY="$display" \
    SDL_VIDEODRIVER=x11 OSTRILAN_DISPLAY=sdl OSTRILAN_AUDIO=null OSTRILAN_COM2="$pty" \
    OSTRILAN_ROOT="$work/device" OSTRILAN_TRACE="$work/trace.txt" \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    setsid "$work/device/ostrilan" >"$work/out.txt" 2>"$work/err.txt" &
app_pid=$!
pids="$app_pid $pids"
# SDL brings up its video, and with it any bus connection, before the first frame.
wait_for "$work/trace.txt" ' app first present' || fail "the application presented nothing"
kill -TERM "$app_pid"
timeout 10 tail --pid="$app_pid" -f /dev/null || fail "the application did not end on SIGTERM"
wait "$app_pid" || fail "the application ended with $?"

left=$(in_session "$app_pid")
[ -z "$left" ] || { kill -KILL $(awk '{print $2}' <<<"$left") 2>/dev/null; fail "left running in its session: $left"; }
[ ! -e "$work/home/.dbus" ] || fail "a session bus was launched: $(ls -R "$work/home/.dbus")"
echo "nothing left running"
