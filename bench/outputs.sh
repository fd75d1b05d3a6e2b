#!/usr/bin/env bash
# Three output sets from one reading against three runs: the built-in
# presets 主图, 详情图 and 缩略图 made by one run with --outputs, and by one
# run each with --preset, over the "photos" corpus of bench/peers.sh.
#
#   bench/outputs.sh [ROUNDS]     (default 3; run bench/peers.sh once first:
#                                  it makes the corpus)
#
# The two take turns; prints the seconds of each (median of ROUNDS) and
# their ratio. Checks the outputs: the same files, the same sizes, and per
# set how many are byte for byte the same and the worst PSNR of the others
# (a smaller set made from a finer decode of the one reading differs a
# little from its own run's).
set -euo pipefail
cd "$(dirname "$0")/.."
ROUNDS="${1:-3}"
WORK="${BENCH_DIR:-/tmp/lumivane-bench}"
CORPUS="$WORK/photos"
BATCH="$PWD/build/cli/lumivane-batch"
fail() { echo "bench FAILED: $*" >&2; exit 1; }
[ -f "$CORPUS/.complete" ] || fail "no corpus in $CORPUS: run bench/peers.sh first"
[ -x "$BATCH" ] || fail "no $BATCH: run ./scripts/build first"
RUN="$WORK/outputs"
SETS=(主图 详情图 缩略图)

# seconds CMD...: the command's time, its failure failing the bench.
seconds() {
  local start end
  start="$(date +%s.%N)"
  "$@" >"$RUN/log.txt" 2>&1 || fail "exit $? ($(tail -1 "$RUN/log.txt"))"
  end="$(date +%s.%N)"
  echo "$end - $start" | bc
}
three_runs() {
  for set in "${SETS[@]}"; do
    "$BATCH" --source "$CORPUS" --target "$RUN/apart/$set" --preset "$set" --overwrite yes || return
  done
}
one_run() {
  "$BATCH" --source "$CORPUS" --target "$RUN/together" --outputs "$(IFS=,; echo "${SETS[*]}")" \
    --overwrite yes
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

rm -rf "$RUN"
mkdir -p "$RUN"
apart=() together=()
for ((r = 0; r < ROUNDS; r++)); do
  apart+=("$(seconds three_runs)")
  together+=("$(seconds one_run)")
done

for set in "${SETS[@]}"; do
  same=0 differ=0 worst=inf
  for a in "$RUN/apart/$set"/*; do
    case "$a" in *.html | *.csv | */.*) continue ;; esac
    b="$RUN/together/$set/$(basename "$a")"
    [ -f "$b" ] || fail "$set: $(basename "$a") not made by --outputs"
    [ "$(identify -format '%wx%h' "$a")" = "$(identify -format '%wx%h' "$b")" ] ||
      fail "$set: $(basename "$a") of another size"
    if cmp -s "$a" "$b"; then
      same=$((same + 1))
    else
      differ=$((differ + 1))
      psnr="$(compare -metric PSNR "$a" "$b" null: 2>&1 || true)"
      worst="$(printf '%s\n%s\n' "$worst" "$psnr" | sort -g | head -1)"
    fi
  done
  echo "$set: $same the same byte for byte, $differ differ (worst PSNR $worst dB)"
done
a="$(printf '%s\n' "${apart[@]}" | median)"
t="$(printf '%s\n' "${together[@]}" | median)"
echo "three runs: $a s   one run with --outputs: $t s   ratio $(echo "scale=2; $t / $a" | bc)"
