#!/usr/bin/env bash
# What a distribution installs besides the program: the manual pages read
# without warnings, the desktop entry validates, the install puts every file
# in its standard place, and the example program of korrin(3) builds with
# pkg-config against the install and ends on a click or a window close.
set -u
. "$KRN_SOURCE_DIR/tests/harness/xvfb-run.sh"
src=$KRN_SOURCE_DIR
fail=0 total=0
check() {
  total=$((total + 1))
  if ! eval "$2"; then echo "FAIL: $1"; fail=$((fail + 1)); else echo "ok: $1"; fi
}
tmp=$(mktemp -d); krn_at_exit 'rm -rf "$tmp"'

for page in man/quelmo.1 man/korrin.3; do
  warn=$(MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$src/$page" 2>&1 >/dev/null)
  check "$page reads without warnings" '[ -z "$warn" ] || { echo "$warn"; false; }'
done
text=$(MANWIDTH=80 man -E UTF-8 -l "$src/man/quelmo.1" 2>/dev/null)
for section in NAME SYNOPSIS DESCRIPTION OPTIONS COMMANDS "LOCK MODE" FILES ENVIRONMENT \
  "EXIT STATUS" BUGS; do
  check "quelmo(1) has $section" 'printf "%s\n" "$text" | grep -qx "$section"'
done
# Every setting of group Korrin is listed with the default the toolkit writes
# (the font defaults are named constants there).
settings=$src/toolkit/core/settings.cpp
const() { sed -n "s/^const char $1\[\] = \"\(.*\)\";/\1/p" "$settings"; }
keys=$(grep -o '{"[A-Za-z]*", [^}]*}' "$settings" |
  sed 's/{"\(.*\)", "\{0,1\}\([^"]*\)"\{0,1\}}/\1 \2/' | sort -u)
check "the settings table was found" '[ $(printf "%s\n" "$keys" | wc -l) -eq 17 ]'
while read -r key value; do
  case $value in kDefault*) value=$(const "$value") ;; esac
  check "quelmo(1) lists $key=$value" \
    'printf "%s\n" "$text" | sed "s/^ *//" | grep -qxF "$key=$value"'
done <<<"$keys"
check "the desktop entry validates" 'desktop-file-validate "$src/res/quelmo.desktop"'

cmake --install "$KRN_BINARY_DIR" --prefix "$tmp/p" >/dev/null
for f in bin/quelmo include/korrin.h share/man/man1/quelmo.1 share/man/man3/korrin.3 \
  share/applications/quelmo.desktop share/icons/hicolor/32x32/apps/quelmo.png \
  share/icons/hicolor/32x32/apps/quelmo.xpm share/pixmaps/quelmo.xpm; do
  check "install puts $f" '[ -s "$tmp/p/$f" ]'
done
check "the PNG icon is 32x32" '[ "$(identify -format %wx%h "$tmp/p/share/icons/hicolor/32x32/apps/quelmo.png")" = 32x32 ]'

# The example as the page prints it, with the roff escapes undone.
sed -n '/^#include <korrin.h>/,/^\.EE/p' "$src/man/korrin.3" | sed '$d' |
  sed 's/\\-/-/g; s/\\e/\\/g' >"$tmp/hello.cpp"
san=()
[ "${KRN_SANITIZE:-OFF}" = ON ] && san=(-fsanitize=address,undefined)
export PKG_CONFIG_PATH="$(ls -d "$tmp"/p/lib*/pkgconfig | head -n1)"
check "the korrin(3) example builds with pkg-config" \
  'c++ -std=c++17 -Wall -Wextra -Werror "${san[@]}" "$tmp/hello.cpp" -o "$tmp/hello" $(pkg-config --cflags --libs korrin)'
cat >"$tmp/close.cpp" <<'CPP'
// Sends WM_DELETE_WINDOW to the window given by id, as a window manager does.
#include <X11/Xlib.h>
#include <stdlib.h>
int main(int, char** argv) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = strtoul(argv[1], nullptr, 0);
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = XInternAtom(d, "WM_DELETE_WINDOW", False);
  XSendEvent(d, e.xclient.window, False, NoEventMask, &e);
  XCloseDisplay(d);
  return 0;
}
CPP
c++ "$tmp/close.cpp" -o "$tmp/close" -lX11
# Starts the example, waits for its window, acts on it, and waits (at most
# 20 s) for the program to end by itself.
run_example() {
  "$tmp/hello" -geometry 240x100+0+0 >/dev/null 2>&1 &
  local pid=$! id
  id=$(timeout 20 xdotool search --sync --onlyvisible --name '^Hello$' | head -n1)
  [ -n "$id" ] || { kill $pid; return 1; }
  "$@" "$id"
  for _ in $(seq 400); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
  if kill -0 $pid 2>/dev/null; then kill $pid; wait $pid; return 1; fi
  wait $pid
}
click_quit() { xdotool mousemove --sync --window "$1" 120 50 click 1; }
check "the example ends with status 0 on WM_DELETE_WINDOW" 'run_example "$tmp/close"'
check "the example ends with status 0 on a click on Quit" 'run_example click_quit'

echo "$((total - fail)) passed, $fail failed"
[ $fail -eq 0 ]
