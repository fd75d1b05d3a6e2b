#!/usr/bin/env bash
# A large catalogue run again and again: 10,000 small JPEGs (200x150) in 20
# folders of 500, each run with 4 workers, subfolders, a manifest and
# --overwrite yes.
#
#   bench/catalogue.sh [RUNS]
#
# Fails on the first run that ends other than with 0 (a crash, an abort),
# or whose outputs or manifest lines are not 10,000. Prints the seconds of
# each run and their median.
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS="${1:-50}"
WORK="${BENCH_DIR:-/tmp/lumivane-bench}/catalogue"
./scripts/deps libvips-tools
./scripts/build >/dev/null
BATCH="$PWD/build/cli/lumivane-batch"
fail() { echo "bench FAILED: $*" >&2; exit 1; }

SRC="$WORK/src"
if [ "$(find "$SRC" -name '*.jpg' 2>/dev/null | wc -l)" != 10000 ]; then
  rm -rf "$SRC"; mkdir -p "$SRC"
  for k in 0 1 2 3 4; do  # five different grainy pictures, copied round
    vips gaussnoise "$WORK/n.v" 100 75 --sigma 50 --mean $((90 + 20 * k))
    vips resize "$WORK/n.v" "$WORK/base$k.jpg[Q=90]" 2
  done
  for f in $(seq -w 0 19); do
    mkdir -p "$SRC/f$f"
    for i in $(seq -w 0 499); do cp "$WORK/base$((10#$i % 5)).jpg" "$SRC/f$f/p$i.jpg"; done
  done
  rm -f "$WORK"/n.v
fi
mkdir -p "$WORK/cwd"
cd "$WORK/cwd"

times=()
for run in $(seq 1 "$RUNS"); do
  rm -rf "$WORK/out" "$WORK/m.jsonl"
  start=$(date +%s.%N)
  code=0
  "$BATCH" --source "$SRC" --subfolders --target "$WORK/out" --width 100 --overwrite yes \
      --manifest "$WORK/m.jsonl" --workers 4 >/dev/null 2>"$WORK/stderr" || code=$?
  end=$(date +%s.%N)
  [ "$code" = 0 ] || { tail -n 5 "$WORK/stderr" >&2; fail "run $run ended with $code"; }
  outputs=$(find "$WORK/out" -name '*.jpg' | wc -l)
  lines=$(wc -l <"$WORK/m.jsonl")
  [ "$outputs" = 10000 ] || fail "run $run wrote $outputs outputs"
  [ "$lines" = 10000 ] || fail "run $run wrote $lines manifest lines"
  times+=("$(awk "BEGIN {printf \"%.2f\", $end - $start}")")
  echo "run $run: ${times[-1]} s"
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}')
echo "$RUNS of $RUNS runs clean; median $median s"
