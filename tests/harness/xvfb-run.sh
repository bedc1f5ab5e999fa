#!/usr/bin/env bash
# Sourced by script tests: starts a private Xvfb, exports DISPLAY and a
# private HOME, and cleans both up on exit.  KRN_XVFB_OPTIONS adds server
# options (the benchmark's -noreset).
#
# There is one EXIT trap, the harness's: it runs a list of clean-ups, the
# test's own first (last added, first run) and the server's last.  A test
# adds to the list with krn_at_exit; a test that sets an EXIT trap of its
# own adds it to the list too instead of replacing the harness's, so the
# server cannot outlive the test.  TERM, INT and HUP end the test through
# the same trap.
krn_cleanups=()
krn_at_exit() { krn_cleanups+=("$1"); }
krn_run_cleanups() {
  local i
  for ((i = ${#krn_cleanups[@]} - 1; i >= 0; i--)); do eval "${krn_cleanups[i]}"; done
}
trap() {
  if [ $# -ge 2 ] && [ "$1" != - ]; then
    local sig others=()
    for sig in "${@:2}"; do
      case $sig in EXIT | 0) krn_at_exit "$1" ;; *) others+=("$sig") ;; esac
    done
    [ ${#others[@]} -eq 0 ] || builtin trap "$1" "${others[@]}"
    return 0
  fi
  builtin trap "$@"
}
builtin trap 'krn_run_cleanups' EXIT
builtin trap 'exit 143' TERM INT HUP

krn_tmp=$(mktemp -d)
exec 7>"$krn_tmp/displayfd"
Xvfb -displayfd 7 ${KRN_XVFB_OPTIONS:-} -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
krn_xpid=$!
krn_at_exit 'kill $krn_xpid 2>/dev/null; wait $krn_xpid 2>/dev/null; rm -rf "$krn_tmp"'
for _ in $(seq 200); do [ -s "$krn_tmp/displayfd" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$krn_tmp/displayfd")"
export HOME="$krn_tmp/home"
mkdir -p "$HOME"
export LANG=ja_JP.eucJP LC_ALL=ja_JP.eucJP XMODIFIERS=@im=none
