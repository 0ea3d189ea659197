#!/usr/bin/env bash
# A plain ctest of the package tests installs nothing: apt and dpkg are recorders that must record
# nothing, `dpkg-query -W` reads the same after, and the install test says it was skipped.
# Usage: plain-run.sh <build folder> <ctest>. Exit 77 when dpkg-query is missing.
set -euo pipefail

build=$(cd "$1" && pwd)
ctest=$2
command -v dpkg-query >/dev/null || { echo "dpkg-query not installed"; exit 77; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$scratch/bin"
for tool in apt-get apt; do
    printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\nexit 1\n' "$tool" "$scratch" >"$scratch/bin/$tool"
done
# dpkg itself also answers questions (the architecture) while the package is assembled; only its
# changing actions are recorded.
real_dpkg=$(command -v dpkg)
cat >"$scratch/bin/dpkg" <<SH
#!/bin/sh
for a in "\$@"; do
    case "\$a" in
    -i | --install | -r | --remove | -P | --purge | --unpack | --configure | -a | --pending)
        echo "dpkg \$*" >>"$scratch/calls"; exit 1 ;;
    esac
done
exec "$real_dpkg" "\$@"
SH
chmod +x "$scratch/bin"/*

dpkg-query -W >"$scratch/before"
env -u OSTRILAN_PACKAGE_TEST PATH="$scratch/bin:$PATH" \
    "$ctest" --test-dir "$build" -L package -V >"$scratch/ctest.log" 2>&1 || { cat "$scratch/ctest.log"; fail "ctest -L package"; }
dpkg-query -W >"$scratch/after"

[ ! -s "$scratch/calls" ] || { cat "$scratch/calls"; fail "the plain run called apt or dpkg to change packages"; }
diff "$scratch/before" "$scratch/after" || fail "the installed packages changed"
grep -q 'e2e/package/InstallRunPurge' "$scratch/ctest.log" || { cat "$scratch/ctest.log"; fail "the install test was not listed"; }
grep -q 'only with OSTRILAN_PACKAGE_TEST=1' "$scratch/ctest.log" || { cat "$scratch/ctest.log"; fail "the install test was not held back by its gate"; }
grep -Eq 'InstallRunPurge .*Skipped' "$scratch/ctest.log" || { cat "$scratch/ctest.log"; fail "the install test was not skipped"; }
echo "packages unchanged; the install test skipped"
