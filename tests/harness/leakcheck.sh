#!/usr/bin/env bash
# Usage: leakcheck.sh RUN [GRACE_SECONDS]
# After a test suite: fails when an X server or a quelmo that the run left
# behind is still running, names each, and stops them.  A run marks what it
# starts with KRN_TEST_RUN=RUN in the environment (the servers and programs
# the tests start inherit it), and only processes with this run's mark are
# looked at: suites that others run at the same time are left alone.
# Processes still ending are given GRACE_SECONDS (default 5) to go.
run=${1:?usage: leakcheck.sh RUN [GRACE_SECONDS]}
grace=${2:-5}

# "pid name" of each marked X server or quelmo.
left() {
  local p name
  for p in /proc/[0-9]*; do
    name=$(cat "$p/comm" 2>/dev/null) || continue
    case $name in Xvfb | Xephyr | Xnest | Xorg | Xvnc | quelmo) ;; *) continue ;; esac
    tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qxF "KRN_TEST_RUN=$run" &&
      echo "${p#/proc/} $name"
  done
}

for ((i = 0; i <= grace * 10; i++)); do
  found=$(left)
  [ -z "$found" ] && exit 0
  sleep 0.1
done
echo "Error: the tests left these processes running:" >&2
while read -r pid name; do
  echo "  $pid $name: $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" >&2
  kill "$pid" 2>/dev/null
done <<<"$found"
exit 1
