#!/usr/bin/env bash
# One job split into shards on one machine, against the same job unsharded.
#
#   bench/shards.sh [PICTURES]
#
# Checks, failing loudly: 4 shards started at once give the same set of
# outputs as one unsharded run, byte for byte; no picture is done twice and
# the shards' manifests together name every picture once; a shard killed
# with SIGKILL in the middle and started again with --skip-done completes
# the job with no partial file anywhere. Prints the pictures per second of
# 1, 2 and 4 shards.
set -euo pipefail
cd "$(dirname "$0")/.."
COUNT="${1:-48}"
WORK="${BENCH_DIR:-/tmp/lumivane-bench}/shards"
./scripts/deps libvips-tools
./scripts/build >/dev/null
BATCH="$PWD/build/cli/lumivane-batch"
fail() { echo "bench FAILED: $*" >&2; exit 1; }

CORPUS="$WORK/corpus"
if [ "$(find "$CORPUS" -name '*.jpg' 2>/dev/null | wc -l)" != "$COUNT" ]; then
  rm -rf "$CORPUS"; mkdir -p "$CORPUS/a" "$CORPUS/b"
  # Photograph-like pictures: soft shapes with grain, in two folders.
  for i in $(seq 1 "$COUNT"); do
    folder=$([ $((i % 2)) = 0 ] && echo a || echo b)
    vips gaussnoise "$WORK/n.v" 1000 750 --sigma 60 --mean 128
    vips resize "$WORK/n.v" "$WORK/big.v" 3
    vips gaussblur "$WORK/big.v" "$CORPUS/$folder/p$i.jpg[Q=90]" 2
  done
  rm -f "$WORK"/*.v
fi
mkdir -p "$WORK/cwd"

run_shards() {  # run_shards N OUT [MORE OPTIONS]: N shards at once; seconds taken
  local n="$1" out="$2"; shift 2
  rm -rf "$out" "$out.m"; mkdir -p "$out.m"
  local start end pids=()
  start=$(date +%s.%N)
  for k in $(seq 0 $((n - 1))); do
    (cd "$WORK/cwd" && "$BATCH" --source "$CORPUS" --target "$out" --subfolders --width 640 \
      --quality 90 --text shop --overwrite yes --shard "$k/$n" --manifest "$out.m/$k.jsonl" "$@" \
      2>/dev/null) &
    pids+=($!)
  done
  for p in "${pids[@]}"; do wait "$p" || fail "a shard of $n failed"; done
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN {print b - a}'
}
outputs() { (cd "$1" && find . -name '*.jpg' | sort); }
sources_in() { cat "$1"/*.jsonl | sed 's/.*"source":"\([^"]*\)".*/\1/' | sort; }
complete() {  # complete OUT: every output whole, nothing half-written
  [ -z "$(find "$1" -name '*.tmp')" ] || fail "temporary files left in $1"
  while read -r f; do
    [ "$(tail -c 2 "$1/$f" | od -An -tx1 | tr -d ' ')" = ffd9 ] || fail "$f is not a whole JPEG"
  done < <(outputs "$1")
}

declare -A seconds
for n in 1 2 4; do seconds[$n]="$(run_shards "$n" "$WORK/out$n")"; done

[ "$(outputs "$WORK/out1" | wc -l)" = "$COUNT" ] || fail "the unsharded run wrote $(outputs "$WORK/out1" | wc -l) of $COUNT"
[ "$(outputs "$WORK/out4")" = "$(outputs "$WORK/out1")" ] || fail "4 shards wrote another set of outputs"
while read -r f; do
  cmp -s "$WORK/out1/$f" "$WORK/out4/$f" || fail "$f differs between 1 and 4 shards"
done < <(outputs "$WORK/out1")
[ -z "$(sources_in "$WORK/out4.m" | uniq -d)" ] || fail "a picture was done twice"
[ "$(sources_in "$WORK/out4.m" | wc -l)" = "$COUNT" ] || fail "the manifests miss pictures"
complete "$WORK/out4"
echo "4 shards: the same $COUNT outputs, byte for byte; each picture done once"

# A shard killed in the middle, then resumed.
out="$WORK/killed"
rm -rf "$out" "$out.m"; mkdir -p "$out.m"
pids=()
for k in 0 1 2 3; do
  (cd "$WORK/cwd" && exec "$BATCH" --source "$CORPUS" --target "$out" --subfolders --width 640 \
    --quality 90 --text shop --overwrite yes --workers 1 --shard "$k/4" \
    --manifest "$out.m/$k.jsonl" 2>/dev/null) &
  pids+=($!)
done
for _ in $(seq 300); do
  [ "$(cat "$out.m/2.jsonl" 2>/dev/null | wc -l)" -ge 2 ] && break
  sleep 0.05
done
kill -9 "${pids[2]}"
for k in 0 1 3; do wait "${pids[$k]}" || fail "shard $k failed"; done
wait "${pids[2]}" 2>/dev/null || true
done_before="$(cat "$out.m/2.jsonl" | wc -l)"
[ "$done_before" -lt "$((COUNT / 4))" ] || fail "shard 2 was not caught in the middle"
(cd "$WORK/cwd" && "$BATCH" --source "$CORPUS" --target "$out" --subfolders --width 640 --quality 90 \
  --text shop --overwrite yes --shard 2/4 --skip-done --manifest "$out.m/2.jsonl" 2>/dev/null) ||
  fail "the resumed shard failed"
[ "$(outputs "$out")" = "$(outputs "$WORK/out1")" ] || fail "the resumed job is incomplete"
complete "$out"
[ "$(sources_in "$out.m" | sort -u | wc -l)" = "$COUNT" ] || fail "the manifests miss pictures"
echo "shard 2 killed after $done_before of its pictures, resumed with --skip-done: complete, nothing partial"

echo
printf '%-10s %10s %10s\n' shards seconds "pict/s"
for n in 1 2 4; do
  printf '%-10s %10.2f %10.2f\n' "$n" "${seconds[$n]}" "$(awk -v c="$COUNT" -v s="${seconds[$n]}" 'BEGIN {print c / s}')"
done
