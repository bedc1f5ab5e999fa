#!/usr/bin/env bash
# Sourced by script tests: starts a private Xvfb, exports DISPLAY and a
# private HOME, and cleans both up on exit.  KRN_XVFB_OPTIONS adds server
# options (the benchmark's -noreset).
krn_tmp=$(mktemp -d)
exec 7>"$krn_tmp/displayfd"
Xvfb -displayfd 7 ${KRN_XVFB_OPTIONS:-} -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
krn_xpid=$!
trap 'kill $krn_xpid 2>/dev/null; wait $krn_xpid 2>/dev/null; rm -rf "$krn_tmp"' EXIT
for _ in $(seq 200); do [ -s "$krn_tmp/displayfd" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$krn_tmp/displayfd")"
export HOME="$krn_tmp/home"
mkdir -p "$HOME"
export LANG=ja_JP.eucJP LC_ALL=ja_JP.eucJP XMODIFIERS=@im=none
