#!/usr/bin/env bash
# The script harness's one clean-up trap: a test's own EXIT trap or added
# clean-up runs, and the private server still stops, also when the test is
# ended by a signal.  The suite's leak check finds a server its run left
# behind, and only its own run's.
set -u
src=$KRN_SOURCE_DIR
fail=0 total=0
check() {
  total=$((total + 1))
  if ! eval "$2"; then echo "FAIL: $1"; fail=$((fail + 1)); else echo "ok: $1"; fi
}
out=$(mktemp -d)
gone() { for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.05; done; return 1; }

# A test that sets its own EXIT trap, as tests/packaging_test.sh once did.
bash -c '. "$1/tests/harness/xvfb-run.sh"; echo $krn_xpid >"$2/pid"
  trap "echo mine >\"$2/mine\"" EXIT; krn_at_exit "echo added >\"$2/added\""
  xdpyinfo >/dev/null && echo up >"$2/up"' _ "$src" "$out"
check "the harness's server served the test" '[ -f "$out/up" ]'
check "the test's own EXIT trap ran" '[ -f "$out/mine" ]'
check "a clean-up added with krn_at_exit ran" '[ -f "$out/added" ]'
check "the server stopped although the test set its own trap" 'gone "$(cat "$out/pid")"'

# A test ended by TERM (a time limit) still stops its server.
bash -c '. "$1/tests/harness/xvfb-run.sh"; sleep 60 & echo $! >"$2/sleep"
  echo $krn_xpid >"$2/pid2"; wait' _ "$src" "$out" >/dev/null 2>&1 &
runner=$!
for _ in $(seq 200); do [ -s "$out/pid2" ] && break; sleep 0.05; done
kill -TERM $runner
wait $runner
kill "$(cat "$out/sleep")"
check "a test ended by TERM stops its server" 'gone "$(cat "$out/pid2")"'

# The leak check sees a server marked with its run, and no other.
leak=$src/tests/harness/leakcheck.sh
KRN_TEST_RUN=leak-$$ Xvfb -displayfd 1 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
KRN_TEST_RUN=other-$$ Xvfb -displayfd 1 -nolisten tcp >/dev/null 2>&1 &
other=$!
check "a server left by the run fails the check" '! "$leak" leak-$$ 0 2>"$out/report"'
check "the report names it" 'grep -q "^  $xpid Xvfb" "$out/report"'
check "and the check stopped it" 'gone $xpid'
check "a run that left nothing passes" '"$leak" leak-$$ 0'
check "a server of another run is left alone" 'kill -0 $other'
kill $other
wait $xpid $other 2>/dev/null
rm -rf "$out"

echo "$((total - fail)) passed, $fail failed"
[ $fail -eq 0 ]
