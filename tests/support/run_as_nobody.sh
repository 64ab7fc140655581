#!/usr/bin/env bash
# Runs one test program as the unprivileged user nobody. Root ignores exclusive mode and file
# permissions on serial devices, so a suite run as root (as CI runs it) proves nothing about an
# ordinary user; this run does. The build tree may sit where nobody cannot go (a clone under a
# 0700 home), so the program, the simulator and the pymodbus server script are copied to a fresh
# folder nobody can read but not write; the working directory, HOME and XDG_RUNTIME_DIR are that
# folder too, so a test that writes where it should not fails here. Only TMPDIR is nobody's own.
# Programs a test starts from beside itself (--beside FILE) are copied next to it. PATH is an
# ordinary user's, so a tool found only on root's PATH (the sbin folders) shows here.
# Usage: run_as_nobody.sh [--beside FILE]... TEST_PROGRAM ZNSIM PYMODBUS_SERVER [arguments...]
set -euo pipefail

fail() {
  echo "FAIL (nobody run): $*"
  exit 1
}

beside=()
while [ $# -ge 2 ] && [ "$1" = --beside ]; do
  beside+=("$2")
  shift 2
done
[ $# -ge 3 ] || fail "usage: $0 [--beside FILE]... TEST_PROGRAM ZNSIM PYMODBUS_SERVER [arguments...]"
program=$1 znsim=$2 server=$3
shift 3
name=$(basename "$program")

[ "$(id -u)" -eq 0 ] ||
  fail "switching to the user nobody needs root; this build was configured by root, so" \
    "configure it again as $(id -un) (the unprivileged runs are only added for root)"
getent passwd nobody >/dev/null || fail "this machine has no user nobody"
group=nogroup
getent group "$group" >/dev/null || group=$(id -gn nobody)
# By full path: the runs below have an ordinary user's PATH, without the sbin folders.
if command -v setpriv >/dev/null; then
  as_nobody=("$(command -v setpriv)" --reuid=nobody --regid="$group" --clear-groups --)
elif command -v runuser >/dev/null; then
  as_nobody=("$(command -v runuser)" -m -u nobody -g "$group" --)
else
  fail "neither setpriv nor runuser (util-linux) is installed"
fi
for file in "$program" "$znsim" "$server" ${beside[@]+"${beside[@]}"}; do
  [ -r "$file" ] || fail "$file does not exist (build the test programs first)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/zn-nobody.XXXXXX")
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir -m 755 "$work/bin"
cp "$program" "$znsim" "$server" ${beside[@]+"${beside[@]}"} "$work/bin/"
chmod 755 "$work/bin"/*
mkdir -m 700 "$work/tmp"
chown "nobody:$group" "$work/tmp"

# Sanitizer suppression files named in the options are copied too, for the same reason.
for var in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
  value=${!var:-}
  file=""
  IFS=: read -ra options <<<"$value"
  for option in "${options[@]}"; do
    [[ "$option" == suppressions=* ]] && file=${option#suppressions=}
  done
  [ -n "$file" ] || continue
  copy="$work/bin/$var.supp"
  cp "$file" "$copy" || fail "cannot copy the suppressions file $file named in $var"
  chmod 644 "$copy"
  export "$var=${value//suppressions=$file/suppressions=$copy}"
done

if ! "${as_nobody[@]}" test -r "$program" -a -x "$znsim" 2>/dev/null; then
  echo "note: the user nobody cannot reach the build tree ($(dirname "$program")); running a copy"
fi

run() {
  (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u XAUTHORITY -u DBUS_SESSION_BUS_ADDRESS \
    HOME="$work" XDG_RUNTIME_DIR="$work" TMPDIR="$work/tmp" QT_QPA_PLATFORM=offscreen \
    PATH=/usr/local/bin:/usr/bin:/bin \
    ZN_ZNSIM_PATH="$work/bin/$(basename "$znsim")" \
    ZN_PYMODBUS_SERVER="$work/bin/$(basename "$server")" "${as_nobody[@]}" "$@")
}

# A copy nobody still cannot reach means the temporary folder itself is closed to it. (setpriv
# keeps root's rights until the program starts, so only a check run as nobody tells.)
copies=("$work/bin/$name" "$work/bin/$(basename "$znsim")" "$work/bin/$(basename "$server")")
if ! run test -x "${copies[0]}" -a -x "${copies[1]}" -a -r "${copies[2]}" -a -w "$work/tmp" ||
  ! run "${copies[0]}" --gtest_list_tests >/dev/null 2>&1; then
  fail "the user nobody cannot run the copies in $work: is ${TMPDIR:-/tmp} closed to other" \
    "users or mounted noexec? Point TMPDIR at a folder every user can enter."
fi

echo "running $name as $(run id -un) (uid $(run id -u)) in $work"
status=0
run "$work/bin/$name" "$@" || status=$?
exit $status
