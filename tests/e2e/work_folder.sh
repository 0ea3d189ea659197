# Sourced by the shell tests: a work folder in the build folder (ctest runs a test there) named
# after $1, and the programs whose pids the test adds to $pids, all ended with it. A program that
# does not end within two seconds of SIGTERM is killed: the test never hangs.
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
