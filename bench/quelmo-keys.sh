#!/usr/bin/env bash
# The whole memo pad per key, as a user feels it: starts the real quelmo on
# a private Xvfb with a private HOME on the 1.9 MB EUC-JP benchmark text,
# types KEYS keys through XTEST at the top, in the middle and at the end of
# the file (a fresh quelmo for each place and run), and prints the
# process's CPU time per key, the median time from a key press to the
# editor's changed pixels (XDamage) and the peak memory after loading,
# each the median of RUNS runs.
#
#   bench/quelmo-keys.sh [QUELMO] [BENCH_QUELMO]
#     QUELMO        the program (default build/quelmo)
#     BENCH_QUELMO  the helper (default build-bench/bench_quelmo, `make bench`)
#   RUNS=3 KEYS=300 PLACES="top middle end" in the environment.
#   QUELMO_WRAP="valgrind --tool=callgrind --instr-atstart=no
#   --callgrind-out-file=/tmp/cg.%p" profiles the typing alone: counting
#   starts with the keys and is dumped after them (the file cg.PID.1).
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
quelmo=$(realpath "${1:-$here/build/quelmo}")
helper=$(realpath "${2:-$here/build-bench/bench_quelmo}")
runs=${RUNS:-3}
keys=${KEYS:-300}
places=${PLACES:-top middle end}
wrap=${QUELMO_WRAP:-}

# A private server that does not reset between the runs' clients.
KRN_XVFB_OPTIONS=-noreset . "$here/tests/harness/xvfb-run.sh"
work="$krn_tmp/work"
mkdir -p "$work"
"$helper" --text "$work/memo.txt" || exit 1

median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

status=0
for place in $places; do
  : >"$krn_tmp/$place"
  for run in $(seq "$runs"); do
    (cd "$work" && exec $wrap "$quelmo" memo.txt 2>>"$krn_tmp/quelmo.log") &
    pid=$!
    before="" after="" timeout=2
    if [ -n "$wrap" ]; then
      before="callgrind_control -i on $pid >/dev/null 2>&1"
      after="callgrind_control -d $pid >/dev/null 2>&1"
      timeout=30
    fi
    "$helper" --pid "$pid" --where "$place" --keys "$keys" --timeout "$timeout" \
      --before "$before" --after "$after" | tee -a "$krn_tmp/$place" || status=1
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  printf '%-6s median of %s: CPU per key %s ms, key to pixels %s ms, peak memory %s MB\n' \
    "$place" "$runs" \
    "$(awk '{print $3}' "$krn_tmp/$place" | median)" \
    "$(awk '{print $5}' "$krn_tmp/$place" | median)" \
    "$(awk '{print $13}' "$krn_tmp/$place" | median)"
done
exit $status
