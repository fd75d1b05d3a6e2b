#!/usr/bin/env bash
# What each seller operation costs: the plain job (width 640, quality 95)
# on the "products" corpus of bench/peers.sh, then the same with one
# operation on, each measured in rounds that alternate with the plain job.
#
#   bench/operations.sh [ROUNDS]      (default 3; run bench/peers.sh once
#                                      first: it makes the corpus;
#                                      OPERATIONS="a b" for only those)
#
# Prints pictures per second (median of ROUNDS) for the plain job and each
# operation, and the ratio to the plain job. Every run's outputs are
# counted; a run that fails or writes less fails the bench.
set -euo pipefail
cd "$(dirname "$0")/.."
ROUNDS="${1:-3}"
WORK="${BENCH_DIR:-/tmp/lumivane-bench}"
CORPUS="$WORK/products"
BATCH="$PWD/build/cli/lumivane-batch"
fail() { echo "bench FAILED: $*" >&2; exit 1; }
[ -f "$CORPUS/.complete" ] || fail "no corpus in $CORPUS: run bench/peers.sh first"
[ -x "$BATCH" ] || fail "no $BATCH: run ./scripts/build first"
count="$(find "$CORPUS" -maxdepth 1 -type f -name '*.jpg' | wc -l)"
RUN="$WORK/operations"
mkdir -p "$RUN"

# run NAME ARGS...: seconds of one run, its outputs checked.
run() {
  local name="$1" out="$RUN/out"
  shift
  rm -rf "$out"
  # A size of the operations takes the width's place.
  local width=(--width 640)
  case " $* " in *" --long-side "* | *" --size "* | *" --height "* | *" --box "*) width=() ;; esac
  local start end
  start="$(date +%s.%N)"
  (cd "$RUN" && "$BATCH" --source "$CORPUS" --target "$out" "${width[@]}" --quality 95 \
      --overwrite yes "$@" >"$RUN/log.txt" 2>&1) || fail "$name: exit $? ($(tail -1 "$RUN/log.txt"))"
  end="$(date +%s.%N)"
  local made
  made="$(find "$out" -maxdepth 1 -type f \( -name '*.jpg' -o -name '*.png' -o -name '*.webp' \) | wc -l)"
  [ "$made" -eq "$count" ] || fail "$name: $made outputs of $count"
  echo "$end - $start" | bc
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

declare -A operations=(
  [sharpen]="--sharpen"
  [auto-level]="--auto-level"
  [max-kb]="--max-kb 40"
  [border]="--border 10"
  [trim]="--trim"
  [trim+square]="--trim --square"
  [text-outline]="--text shop.example.com --text-outline 2"
  [text]="--text shop.example.com"
  [text-shadow]="--text shop.example.com --text-shadow"
  [tile-text]="--text shop.example.com --tile-text"
  [png]="--format png"
  [webp]="--format webp"
  [rename]="--rename {name}_{n:03}"
  [long-side]="--long-side 640"
  [size-pad]="--size 640x640"
  [size-crop]="--size 640x640 --fit crop"
  [size-smart]="--size 640x640 --fit smart"
)
printf '%-14s %10s %8s\n' operation "pictures/s" "time x plain"
# OPERATIONS="size-pad size-crop" measures only those.
for op in plain ${OPERATIONS:-"${!operations[@]}"}; do
  plain_times=() op_times=()
  for _ in $(seq "$ROUNDS"); do
    plain_times+=("$(run plain)")
    # shellcheck disable=SC2086
    [ "$op" = plain ] || op_times+=("$(run "$op" ${operations[$op]})")
  done
  plain="$(printf '%s\n' "${plain_times[@]}" | median)"
  [ "$op" = plain ] && { printf '%-14s %10.1f %8s\n' plain "$(echo "$count / $plain" | bc -l)" 1.00; continue; }
  t="$(printf '%s\n' "${op_times[@]}" | median)"
  printf '%-14s %10.1f %8.2f\n' "$op" "$(echo "$count / $t" | bc -l)" "$(echo "$t / $plain" | bc -l)"
done
