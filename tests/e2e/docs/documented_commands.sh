#!/usr/bin/env bash
# The commands README.md and docs/ give after `scripts/run.sh`, run as written in a private copy of
# the application folder; a docs/peers.md line this script does not know fails it.
# Usage: documented_commands.sh <source folder> <application folder> <work folder>
set -u
src=$1
app=$2
work=$3

rm -rf "$work"
mkdir -p "$work/build/app" "$work/tmp"
pids=
cleanup() {
    exec 5>&- 2>/dev/null
    [ -n "$pids" ] && kill $pids 2>/dev/null
    for _ in $(seq 20); do [ -n "$pids" ] && kill -0 $pids 2>/dev/null || break; sleep 0.1; done
    [ -n "$pids" ] && kill -9 $pids 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    tail -n 20 "$work"/*.out "$work"/*.err 2>/dev/null
    exit 1
}
until_ok() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do [ $SECONDS -lt $deadline ] || return 1; sleep 0.1; done
}
# The first ```sh block after the heading line $2 of file $1.
block() { awk -v h="$2" '$0 == h { f = 1; next } f && /^```sh/ { b = 1; next } b && /^```/ { exit } b { print }' "$1"; }
say() { printf '%s\n' "$2" | timeout 30 socat -t 30 - "UNIX-CONNECT:$1"; }

command -v socat >/dev/null || fail "socat is missing (scripts/deps.sh installs it)"

# The copy: programs linked (they take their folder as the device root), read-only folders shared.
for entry in "$app"/*; do
    name=$(basename "$entry")
    case $name in
    data | registry | run) ;;
    *) if [ -d "$entry" ]; then ln -s "$entry" "$work/build/app/$name"; else
        ln "$entry" "$work/build/app/$name" 2>/dev/null || cp "$entry" "$work/build/app/$name"; fi ;;
    esac
done
mkdir -p "$work/build/app/data"
ln -s "$src/tests" "$work/tests"
cd "$work"
export OSTRILAN_DISPLAY=headless OSTRILAN_AUDIO=null
unset OSTRILAN_ROOT OSTRILAN_TRACE OSTRILAN_AUTOMATION OSTRILAN_CLOCK OSTRILAN_COM2

for program in ostrilan-modsim ostrilan-peer ostrilan-status ostrilan-tour; do
    build/app/$program --help >"$work/help.out" 2>&1 || fail "$program --help"
    grep -qi '^usage' "$work/help.out" || fail "$program --help printed no usage"
done

build/app/ostrilan-modsim --no-console >"$work/sim.out" 2>"$work/sim.err" &
pids="$!"
until_ok 10 grep -q '^pty ' "$work/sim.out" || fail "the simulator gave no pseudo-terminal"
export OSTRILAN_COM2=$(sed -n 's/^pty //p' "$work/sim.out" | head -n 1)

# docs/automation.md
example=$(block "$src/docs/automation.md" "## Example")
[ -n "$example" ] || fail "no example in docs/automation.md"
TMPDIR=$work/tmp OSTRILAN_TRACE=$work/automation.trace timeout 60 bash -e -c "$example" >"$work/automation.out" 2>&1 \
    || fail "the automation example: $(cat "$work/automation.out")"
compgen -G "$work/tmp/tmp.*/shot.png" >/dev/null || fail "the automation example took no screenshot"
grep -q ' app stopped' "$work/automation.trace" || fail "the automation example's application did not quit"

# docs/peers.md, against the application started hidden as the package's unit starts it.
OSTRILAN_ROOT=$work/build/app OSTRILAN_AUTOMATION=$work/tmp/app.sock OSTRILAN_TRACE=$work/app.trace \
    build/app/ostrilan HIDE >"$work/app.out" 2>"$work/app.err" &
app_pid=$!
pids="$app_pid $pids"
until_ok 20 eval '[ -S "$work/tmp/app.sock" ] && [ "$(say "$work/tmp/app.sock" idle)" = ok ]' \
    || fail "the application did not start"
listed() { ls "$work/build/app/run/windows" 2>/dev/null | wc -l; }
exec 5> >(cat >/dev/null)
listeners=0
while IFS= read -r line; do
    command=${line%%#*}
    command=$(sed 's/[[:space:]]*$//' <<<"$command")
    [ -n "$command" ] || continue
    case $command in
    "export OSTRILAN_ROOT="*)
        eval "$command" ;;
    *" listen &")
        # Standard input stays open: a listener ends when it closes.
        before=$(listed)
        listeners=$((listeners + 1))
        eval "${command% &} <&5 >\"$work/listener$listeners.out\" 2>&1 &"
        pids="$! $pids"
        until_ok 10 eval '[ "$(listed)" -gt "$before" ]' || fail "not listed: $command" ;;
    "build/app/ostrilan-peer send "* | "build/app/ostrilan-peer activate "*)
        eval "$command" >"$work/peer.out" 2>&1 || fail "$command: $(cat "$work/peer.out")" ;;
    "build/app/ostrilan-peer hold "*)
        # While the application runs its name is taken; once it is gone the name can be held.
        eval "$command" </dev/null >"$work/peer.out" 2>&1 && fail "$command held a name the application holds"
        grep -qx busy "$work/peer.out" || fail "$command: $(cat "$work/peer.out")"
        hold=$command ;;
    *) fail "docs/peers.md has a command this test does not run: $command" ;;
    esac
done < <(block "$src/docs/peers.md" "## ostrilan-peer")
[ "$listeners" -ge 1 ] && [ -n "${hold:-}" ] || fail "the docs/peers.md block was not found whole"
until_ok 10 grep -q 'peer recv .* 0x8F00 14 30' "$work/app.trace" || fail "the clock did not reach the application"
until_ok 10 grep -q 'peer recv .* 0x8F3A 2 57' "$work/app.trace" || fail "the battery did not reach the application"
until_ok 10 grep -qx 'recv 0x82FC 0 0' "$work/listener1.out" || fail "the music player heard nothing"

# docs/run.md: the simulator's paired phones by name on Connect, before either ever linked.
[ "$(say "$work/tmp/app.sock" "tap 115 181")" = ok ] && [ "$(say "$work/tmp/app.sock" idle)" = ok ] \
    || fail "Connect"
# The list fills in as the module's answers come.
named() {
    texts=$(say "$work/tmp/app.sock" texts)
    grep -q '"Road phone"' <<<"$texts" && grep -q '"Office phone"' <<<"$texts"
}
until_ok 20 named || fail "Connect lists the paired phones without their names: $texts"
# docs/run.md: back from Home; the second launch hands over and ends with 0.
OSTRILAN_ROOT=$work/build/app build/app/ostrilan SHOW >"$work/second.out" 2>&1 || fail "ostrilan SHOW ended with $?"

[ "$(say "$work/tmp/app.sock" quit)" = ok ] || fail "quit"
until_ok 20 eval '! kill -0 $app_pid 2>/dev/null' || fail "the application did not quit"
eval "echo | $hold" >"$work/peer.out" 2>&1 || fail "$hold after the application quit: $(cat "$work/peer.out")"
grep -qx held "$work/peer.out" || fail "$hold: $(cat "$work/peer.out")"
echo "every documented command ran"
