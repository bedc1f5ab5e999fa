#!/usr/bin/env bash
# `make run` without a display: scripts/run-quelmo starts a private server,
# writes a screenshot once the main window (titled after its file) shows,
# and ends by itself with status 0, leaving no quelmo behind.
set -u
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$KRN_QUELMO" "$tmp/quelmo"
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=$((fail + 1)); else echo "ok: $1"; fi; }

HOME="$tmp" timeout 90 env -u DISPLAY "$KRN_SOURCE_DIR/scripts/run-quelmo" "$tmp/quelmo" \
  >"$tmp/out" 2>&1
rc=$?
check "ends by itself with status 0" '[ $rc -eq 0 ]'
check "says it wrote the screenshot" 'grep -q "wrote $tmp/screenshot.png" "$tmp/out"'
check "the screenshot is a picture" '[ "$(head -c 8 "$tmp/screenshot.png" | od -An -tx1 | tr -d " ")" = 89504e470d0a1a0a ]'
check "no quelmo is left running" '! pgrep -f "^$tmp/quelmo" >/dev/null'
[ $fail -eq 0 ] || cat "$tmp/out"
echo "$((4 - fail)) passed, $fail failed"
[ $fail -eq 0 ]
