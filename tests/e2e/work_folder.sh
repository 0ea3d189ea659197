# Sourced: a work folder named after $1 in the build folder; programs in $pids end with it, killed
# if SIGTERM has not ended them within two seconds, so the test never hangs.
work=$(mktemp -d -p "$PWD" "$1.XXXXXX")
pids=
cleanup() {
    kill $pids 2>/dev/null
    for _ in $(seq 20); do kill -0 $pids 2>/dev/null || break; sleep 0.1; done
    kill -9 $pids 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
