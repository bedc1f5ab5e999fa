#!/usr/bin/env bash
# Writes the desktop icons res/quelmo.xpm and res/quelmo.png from the
# memo pad's built-in picture res_quelmo in app/res_images.cpp, so the icon
# a desktop shows is the one the About dialog shows.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/res"
mkdir -p "$out"
{
  echo '/* XPM */'
  echo 'static char *quelmo[] = {'
  # The array's rows, from its first quoted line to the closing brace.
  sed -n '/^const char\* const res_quelmo\[\] = {/,/^};/p' "$top/app/res_images.cpp" |
    grep '^ *"' | sed 's/^ *//' | sed '$ s/,$//'
  echo '};'
} >"$out/quelmo.xpm"
convert "$out/quelmo.xpm" -strip "PNG32:$out/quelmo.png"
