# Sourced: a virtual X server on $display, the module simulator on $pty, a device root under
# $work/device. Needs app_dir and display; xvfb_screen sets the screen's size and depth.
. "$(dirname "${BASH_SOURCE[0]}")/../work_folder.sh" xvfb
fail() {
    echo "FAIL: $*"
    tail -n 40 "$work/trace.txt" "$work/err.txt" 2>/dev/null
    exit 1
}
# Runs a command every 0.1 s until it succeeds, at most $1 times.
poll() {
    local tries=$1
    shift
    for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
    return 1
}
# Polls for a line in a file, by default for 20 s: a sanitizer build on a loaded machine is many
# times slower.
wait_for() { poll "${3:-200}" grep -qs -- "$2" "$1"; }

# Neither a lock file nor a socket in /tmp: clients reach it through its abstract socket.
Xvfb "$display" -screen 0 "${xvfb_screen:-800x600x24}" -nolisten tcp -nolisten unix -nolock >"$work/xvfb.log" 2>&1 &
pids=$!
poll 50 env DISPLAY="$display" xdotool getmouselocation >/dev/null 2>&1 || true

# The data files and the registry are the script's own; the build's read-only folders are shared.
start_device() {
    mkdir -p "$work/device/data"
    ln "$app_dir/ostrilan" "$work/device/ostrilan" 2>/dev/null || cp "$app_dir/ostrilan" "$work/device/ostrilan"
    for entry in "$app_dir"/*/; do
        name=$(basename "$entry")
        case $name in data | registry | run) ;; *) ln -s "$entry" "$work/device/$name" ;; esac
    done
    "$app_dir/ostrilan-modsim" --no-console ${sim_args:-} >"$work/sim.out" 2>&1 &
    pids="$! $pids"
    wait_for "$work/sim.out" '^pty ' || fail "the simulator gave no pseudo-terminal"
    pty=$(sed -n 's/^pty //p' "$work/sim.out" | head -n 1)
}
