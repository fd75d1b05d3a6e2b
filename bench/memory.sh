#!/usr/bin/env bash
# Peak memory of the pictures that ask the most of it: enlargements far
# past the original, a cut of an extreme strip, a large photograph kept at
# full size, progressive too. Each run must stay within 1 GiB (as
# /usr/bin/time -v measures it) and end with its picture made or refused
# with the step that needs too much, never called damaged. Last, a detail
# page joined from 100 photos 790 wide: within 1 GiB, its parts as high as
# the photos and the gaps.
#
#   bench/memory.sh
set -euo pipefail
cd "$(dirname "$0")/.."
WORK="${BENCH_DIR:-/tmp/lumivane-bench}/memory"
./scripts/deps libvips-tools time
./scripts/build >/dev/null
BATCH="$PWD/build/cli/lumivane-batch"
fail() { echo "bench FAILED: $*" >&2; exit 1; }
limit_kb=$((1024 * 1024))

rm -rf "$WORK"; mkdir -p "$WORK/small" "$WORK/strip" "$WORK/photo" "$WORK/page" "$WORK/p48" \
  "$WORK/pages/a"
vips gaussnoise "$WORK/n.v" 64 64 --sigma 40
vips colourspace "$WORK/n.v" "$WORK/small/small.jpg" srgb
vips black "$WORK/s.v" 1 65000
vips linear "$WORK/s.v" "$WORK/strip/strip.png" 1 100 --uchar
vips gaussnoise "$WORK/p.v" 12288 8208 --sigma 30
vips cast "$WORK/p.v" "$WORK/pc.v" uchar
vips bandjoin "$WORK/pc.v $WORK/pc.v $WORK/pc.v" "$WORK/photo/photo.jpg"
for i in $(seq 100 199); do  # grainy, so the page costs what photographs cost
  vips gaussnoise "$WORK/g.v" 790 $((1000 + i)) --sigma 40 --mean $((60 + i % 100))
  vips colourspace "$WORK/g.v" "$WORK/page/p$i.jpg" srgb
done
vips gaussnoise "$WORK/q.v" 8000 6000 --sigma 30 --mean 100
vips cast "$WORK/q.v" "$WORK/qc.v" uchar
vips bandjoin "$WORK/qc.v $WORK/qc.v $WORK/qc.v" "$WORK/p48/a.jpg"
for i in b c d e f; do cp "$WORK/p48/a.jpg" "$WORK/p48/$i.jpg"; done
for i in $(seq 10 59); do  # three folders of 50 photographs, a page each
  vips gaussnoise "$WORK/g.v" 1500 2000 --sigma 40 --mean $((60 + i))
  vips colourspace "$WORK/g.v" "$WORK/pages/a/p$i.jpg" srgb
done
cp -r "$WORK/pages/a" "$WORK/pages/b"; cp -r "$WORK/pages/a" "$WORK/pages/c"
rm -f "$WORK"/*.v

# source, expected ("made" or a text the log must hold), options
run() {
  local source=$1 expected=$2; shift 2
  rm -rf "$WORK/out"
  /usr/bin/time -v -o "$WORK/time.txt" "$BATCH" --source "$WORK/$source" --target "$WORK/out" \
    "$@" >"$WORK/said.txt" 2>&1 || true
  local peak
  peak=$(awk -F': ' '/Maximum resident/ {print $2}' "$WORK/time.txt")
  printf '%-40s %6d MB  %s\n' "$source $*" $((peak / 1024)) "$(grep -E '出错|完成' "$WORK/said.txt" | head -1)"
  [ "$peak" -le "$limit_kb" ] || fail "$source $*: peak ${peak} kB over 1 GiB"
  if grep -q "损坏" "$WORK/said.txt"; then fail "$source $*: a sound file called damaged"; fi
  if [ "$expected" = made ]; then
    [ -n "$(find "$WORK/out" -name '*.jpg' -size +0)" ] || fail "$source $*: nothing made"
  else
    grep -q "$expected" "$WORK/said.txt" || fail "$source $*: the log does not say \"$expected\""
  fi
}

run small "放大到 20000×20000 太大" --long-side 20000 --enlarge
run small made --long-side 11000 --enlarge
run small "放大到 11000×11000 需要" --long-side 11000 --enlarge --progressive
run strip "太大" --size 1000x1000 --fit crop --enlarge
run photo made
run photo "保存为渐进式 JPEG 需要" --progressive
run photo made --width 2000 --progressive
# Every step's working memory and every piece of a page within the budget,
# whatever the mix and the workers.
run photo made --sharpen
run photo made --auto-level
run photo made --sharpen --auto-level --trim --border 10 --text-shadow --max-kb 5000
run small "放大到 11000×11000 需要" --size 11000x11000 --enlarge --sharpen --auto-level
for workers in 1 2 3 4; do
  run p48 made --sharpen --auto-level --workers "$workers"
done
for workers in 1 2 3; do
  run pages made --subfolders --join --width 1500 --slice-height 5000 --workers "$workers"
done
run page made --width 790 --join --join-gap 10 --slice-height 1500
high=0
for part in "$WORK"/out/page_*.jpg; do
  h=$(vipsheader -f height "$part")
  [ "$h" -le 1500 ] || fail "page part $part is $h high"
  high=$((high + h))
done
[ "$high" = $((100 * 1000 + 14950 + 99 * 10)) ] || fail "the page's parts are $high high"
echo "bench passed"
