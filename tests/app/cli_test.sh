#!/usr/bin/env bash
# The command line of quelmo: help output and exit status, an unreachable
# display, an over-long file name.
set -u
. "$KRN_SOURCE_DIR/tests/harness/xvfb-run.sh"
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=$((fail + 1)); else echo "ok: $1"; fi; }

out=$("$KRN_QUELMO" -h 2>&1 >/dev/null); rc=$?
check "help exits 0" '[ $rc -eq 0 ]'
check "help starts with the toolkit usage" '[ "$(printf "%s\n" "$out" | head -n1)" = "*** Korrin(Ver01.02) Standard command ***" ]'
check "help has the application usage line" 'printf "%s\n" "$out" | grep -qx " Usage: quelmo TextFile"'
check "toolkit text comes before the banner" '[ $(printf "%s\n" "$out" | grep -n "Application command" | cut -d: -f1) -lt $(printf "%s\n" "$out" | grep -n ">>> Korrin Memo Pad <<<" | cut -d: -f1) ]'
check "help opens no window" '! xwininfo -root -children | grep -q "\"Quelmo\""'

for opt in -help -h -?; do
  out=$(env -u DISPLAY "$KRN_QUELMO" "$opt" 2>&1); rc=$?
  check "$opt without a display exits 0" '[ $rc -eq 0 ]'
  check "$opt without a display prints the whole usage" 'printf "%s\n" "$out" | grep -q "Standard command" && printf "%s\n" "$out" | grep -qx " Usage: quelmo TextFile"'
done
err=$(env -u DISPLAY "$KRN_QUELMO" -x memo.txt 2>&1 >/dev/null); rc=$?
check "an unknown option exits 2" '[ $rc -eq 2 ]'
check "and names itself and the usage on standard error" 'printf "%s\n" "$err" | head -n1 | grep -qx "Error: unknown option -x" && printf "%s\n" "$err" | grep -qx " Usage: quelmo TextFile"'

out=$("$KRN_QUELMO" -display nowhere:99 2>&1); rc=$?
check "unreachable display exits 1" '[ $rc -eq 1 ]'
check "unreachable display message" '[ "$out" = "Error: [nowhere:99] can'"'"'t open display." ]'

# Help opens no display, so nothing has created the resource file yet: an
# empty one keeps its creation notice out of the count below.
: > "$HOME/.krnrc"
long=$(printf 'n%.0s' $(seq 1100))
out=$(timeout 5 "$KRN_QUELMO" "$long" 2>&1); rc=$?
check "an over-long file name is refused with one error line" '[ $(printf "%s\n" "$out" | grep -c "^Error: ") -eq 1 ]'
check "and the program still runs (ends normally or is still running)" '[ $rc -eq 0 ] || [ $rc -eq 124 ]'

longdisplay=":$(printf '9%.0s' $(seq 40))"
out=$("$KRN_QUELMO" -display "$longdisplay" 2>&1); rc=$?
check "an over-long display name is not replaced by the default display" '[ $rc -eq 1 ]'
check "and its error names it" 'printf "%s\n" "$out" | grep -qF "Error: [$longdisplay] can'"'"'t open display."'

echo "$((19 - fail)) passed, $fail failed"
[ $fail -eq 0 ]
