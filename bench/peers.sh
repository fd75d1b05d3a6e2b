#!/usr/bin/env bash
# Lumivane against its peers, each pair measured in one run.
#
#   bench/peers.sh [REPEATS]        (PEERS_PLAIN_ONLY=1: the plain job alone)
#
# Two corpora, made from Debian's wallpaper packages: "photos" (60 real
# photographs at 4000x3000, 3000x4000 and 6000x4000: JPEG, CMYK JPEG,
# transparent PNG, BMP) and "products" (24 JPEGs, 4000x3000 and 3000x4000,
# a photograph's subject small on a white background, as product shots are).
# Jobs:
#   plain  shrink to width 640 (never enlarge), quality 95, no marks:
#          Lumivane against vipsthumbnail in one and in two processes;
#   marks  the same plus a text line and a PNG watermark at the bottom
#          right with 16-pixel margins: Lumivane against ImageMagick's
#          mogrify and GraphicsMagick.
# A third measurement: the plain job with --max-kb 200 against the plain job
# and against ImageMagick's -define jpeg:extent=200kb, with PSNR and the
# bytes written.
# Every tool's outputs are checked (count, width); a tool that fails or
# writes less fails the bench. Prints pictures per second (median of REPEATS,
# default 3; the tools take turns), the ratio to Lumivane, PSNR against a full-size decode resized
# with Lanczos 3 (worst and median, plain job, JPEG sources) and the peak
# memory of the largest process.
set -euo pipefail
cd "$(dirname "$0")/.."
REPEATS="${1:-3}"
WORK="${BENCH_DIR:-/tmp/lumivane-bench}"
CORES="$(nproc)"

./scripts/deps mate-backgrounds plasma-workspace-wallpapers imagemagick graphicsmagick \
  libvips-tools time
./scripts/build >/dev/null
BATCH="$PWD/build/cli/lumivane-batch"
PSNR="$PWD/build/bench/bench_psnr"
fail() { echo "bench FAILED: $*" >&2; exit 1; }

mkdir -p "$WORK"
mapfile -t photos < <(find /usr/share/backgrounds/mate /usr/share/wallpapers -type f \
    \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.png' \) -size +200k -printf '%s %p\n' \
    | sort -rn | awk '{print $2}' | head -n 60)
[ "${#photos[@]}" -ge 24 ] || fail "too few wallpapers (${#photos[@]})"

PHOTOS="$WORK/photos"
if [ ! -f "$PHOTOS/.complete" ]; then
  rm -rf "$PHOTOS"; mkdir -p "$PHOTOS"
  sizes=(4000x3000 3000x4000 6000x4000)
  n=0
  for src in "${photos[@]}"; do
    size="${sizes[$((n % 3))]}"
    if [ "$n" -lt 46 ]; then
      convert "$src" -resize "${size}^" -gravity center -extent "$size" -quality 92 "$PHOTOS/photo$n.jpg"
    elif [ "$n" -lt 52 ]; then
      convert "$src" -resize "${size}^" -gravity center -extent "$size" -colorspace CMYK -quality 92 "$PHOTOS/cmyk$n.jpg"
    elif [ "$n" -lt 58 ]; then
      convert "$src" -resize 2000x1500^ -gravity center -extent 2000x1500 \
        \( +clone -alpha extract -sparse-color Barycentric '0,0 white %w,%h black' \) \
        -alpha off -compose copy_opacity -composite "$PHOTOS/alpha$n.png"
    else
      convert "$src" -resize 3000x2000^ -gravity center -extent 3000x2000 -type TrueColor "BMP3:$PHOTOS/plain$n.bmp"
    fi
    n=$((n + 1))
  done
  touch "$PHOTOS/.complete"
fi
PRODUCTS="$WORK/products"
if [ ! -f "$PRODUCTS/.complete" ]; then
  rm -rf "$PRODUCTS"; mkdir -p "$PRODUCTS"
  for n in $(seq 0 23); do
    if [ $((n % 2)) = 0 ]; then canvas=4000x3000 subject=2200x1700; else canvas=3000x4000 subject=1800x2400; fi
    convert -size "$canvas" xc:white \( "${photos[$n]}" -resize "${subject}^" -gravity center -extent "$subject" \) \
      -gravity center -composite -quality 92 "$PRODUCTS/product$n.jpg"
  done
  touch "$PRODUCTS/.complete"
fi

MARK="$PWD/resources/images/sy.png"
FONT="/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"
TEXT="shop.example.com"

# Each tool: TOOL CORPUS OUT. It must leave one JPEG per picture in OUT.
lumivane() {  # lumivane WORKERS MARKS CORPUS OUT
  local marks=()
  [ "$2" = marks ] && marks=(--text "$TEXT" --font "Liberation Sans" --font-size 26
    --text-position right,bottom --text-margins 16,16 --image "$MARK"
    --image-position right,bottom --image-margins 16,16)
  mkdir -p "$WORK/lv"
  (cd "$WORK/lv" && "$BATCH" --source "$3" --target "$4" --width 640 --quality 95 \
    "${marks[@]}" --overwrite yes --workers "$1" 2>/dev/null)
}
lumivane_plain() { lumivane "$CORES" plain "$@"; }
lumivane_cap() {  # the plain job with each output at most 200 KB
  mkdir -p "$WORK/lv"
  (cd "$WORK/lv" && "$BATCH" --source "$1" --target "$2" --width 640 --quality 95 --max-kb 200 \
    --overwrite yes --workers "$CORES" 2>/dev/null)
  local largest; largest="$(find "$2" -name '*.jpg' -printf '%s\n' | sort -n | tail -n 1)"
  [ "$largest" -le $((200 * 1024)) ] || { echo "an output of $largest bytes is over 200 KB" >&2; return 1; }
}
lumivane_marks() { lumivane "$CORES" marks "$@"; }
# Both write optimised Huffman tables, as Lumivane does.
vips_one() { vipsthumbnail "$1"/* --size '640x>' -o "$2/%s.jpg[Q=95,optimize_coding]"; }
vips_two() {
  local count; count="$(find "$1" -type f ! -name '.*' | wc -l)"
  find "$1" -type f ! -name '.*' -print0 | xargs -0 -n $(( (count + 1) / 2 )) -P 2 \
    vipsthumbnail --size '640x>' -o "$2/%s.jpg[Q=95,optimize_coding]"
}
mogrify_cap() {  # ImageMagick's own search for an output size
  mogrify -path "$2" -format jpg -colorspace sRGB -resize '640x>' -background white -alpha remove \
    -define jpeg:extent=200kb "$1"/* 2>/dev/null
  local largest; largest="$(find "$2" -name '*.jpg' -printf '%s\n' | sort -n | tail -n 1)"
  [ "$largest" -le $((200 * 1024)) ] || { echo "an output of $largest bytes is over 200 KB" >&2; return 1; }
}
mogrify_marks() {
  mogrify -path "$2" -format jpg -colorspace sRGB -resize '640x>' -background white -alpha remove \
    -gravity SouthEast -font "$FONT" -pointsize 26 -annotate +16+16 "$TEXT" \
    -draw "image over 16,16 0,0 '$MARK'" -quality 95 "$1"/* 2>/dev/null
}
gm_marks() {
  (cd "$1" && gm mogrify -output-directory "$2" -format jpg -colorspace RGB -resize '640x>' \
    -gravity SouthEast -font "$FONT" -pointsize 26 -draw "text 16,16 '$TEXT'" \
    -draw "image Over 16,16 0,0 '$MARK'" -quality 95 $(find . -type f ! -name '.*' -printf '%P ') 2>/dev/null)
}

check_outputs() {  # check_outputs NAME CORPUS OUT
  local want got
  want="$(find "$2" -type f ! -name '.*' | wc -l)"
  got="$(find "$3" -type f -name '*.jpg' | wc -l)"
  [ "$got" = "$want" ] || fail "$1 wrote $got of $want pictures"
  local widest; widest="$(find "$3" -name '*.jpg' -exec vipsheader -f width {} + | sort -n | tail -n 1)"
  [ "$widest" = 640 ] || fail "$1: widest output is $widest, not 640"
}

declare -A pps peak
results=()
# measure CORPUS NAME FUNCTION [NAME FUNCTION]...: the tools take turns,
# one run each a round, so a slower spell of the machine falls on all.
measure() {
  local corpus="$1"; shift
  local -a names=() fns=()
  while [ "$#" -gt 0 ]; do names+=("$1"); fns+=("$2"); shift 2; done
  declare -A times=() worst=()
  local count; count="$(find "$corpus" -type f ! -name '.*' | wc -l)"
  for _ in $(seq "$REPEATS"); do
    for i in "${!names[@]}"; do
      local name="${names[$i]}" fn="${fns[$i]}" out="$WORK/out/${fns[$i]}" start end
      rm -rf "$out"; mkdir -p "$out"
      start=$(date +%s.%N)
      /usr/bin/time -f %M -o "$WORK/rss" bash -c "$(declare -f "$fn" lumivane); $fn '$corpus' '$out'" \
        >/dev/null 2>&1 || fail "$name exited with an error"
      end=$(date +%s.%N)
      check_outputs "$name" "$corpus" "$out"
      times[$name]+="$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}') "
      local rss; rss="$(cat "$WORK/rss")"
      worst[$name]=$(( rss > ${worst[$name]:-0} ? rss : ${worst[$name]:-0} ))
    done
  done
  for name in "${names[@]}"; do
    local s
    s="$(printf '%s\n' ${times[$name]} | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')"
    pps[$name]="$(awk -v n="$count" -v s="$s" 'BEGIN {print n / s}')"
    peak[$name]=$(( ${worst[$name]} / 1024 ))
    results+=("$name")
  done
}
quality() {  # quality FUNCTION CORPUS: PSNR of that tool's last outputs
  "$PSNR" "$2" "$WORK/out/$1" 640 || fail "PSNR of $1"
}

export BATCH WORK TEXT MARK FONT CORES
report() {  # report BASE NAME...
  local base="$1"; shift
  printf '%-40s %9s %7s %16s %8s\n' "tool" "pict/s" "ratio" "PSNR worst/med" "peak MB"
  for name in "$@"; do
    printf '%-40s %9.2f %7.2f %16s %8s\n' "$name" "${pps[$name]}" \
      "$(awk -v a="${pps[$name]}" -v b="${pps[$base]}" 'BEGIN {print a / b}')" \
      "${psnr[$name]:--}" "${peak[$name]}"
  done
}

declare -A psnr
for corpus in photos products; do
  dir="$WORK/$corpus"
  measure "$dir" "lumivane plain $corpus ($CORES workers)" lumivane_plain \
    "vipsthumbnail plain $corpus" vips_one "vipsthumbnail plain $corpus, 2 processes" vips_two
  psnr["lumivane plain $corpus ($CORES workers)"]="$(quality lumivane_plain "$dir")"
  psnr["vipsthumbnail plain $corpus"]="$(quality vips_one "$dir")"
  echo
  echo "plain job, $corpus: $(find "$dir" -type f ! -name '.*' | wc -l) pictures, $CORES cores, median of $REPEATS"
  report "lumivane plain $corpus ($CORES workers)" "lumivane plain $corpus ($CORES workers)" \
    "vipsthumbnail plain $corpus" "vipsthumbnail plain $corpus, 2 processes"
done

[ "${PEERS_PLAIN_ONLY:-0}" = 1 ] && exit 0  # the plain job alone, for paired runs of two builds

measure "$PHOTOS" "lumivane plain photos, --max-kb 200" lumivane_cap \
  "mogrify jpeg:extent=200kb" mogrify_cap
psnr["lumivane plain photos, --max-kb 200"]="$(quality lumivane_cap "$PHOTOS")"
psnr["mogrify jpeg:extent=200kb"]="$(quality mogrify_cap "$PHOTOS")"
echo
echo "size cap, photos: the plain job with and without --max-kb 200, and ImageMagick's extent"
report "lumivane plain photos ($CORES workers)" "lumivane plain photos ($CORES workers)" \
  "lumivane plain photos, --max-kb 200" "mogrify jpeg:extent=200kb"
for fn in lumivane_cap mogrify_cap; do  # what the cap costs in bytes, same pictures
  echo "$fn: $(find "$WORK/out/$fn" -name '*.jpg' -printf '%s\n' | awk '{s += $1} END {printf "%.0f KB in all, %.1f KB a picture", s / 1024, s / 1024 / NR}')"
done
"$PWD/build/bench/bench_size_cap" "$PHOTOS" 200 || fail "size cap"

measure "$PHOTOS" "lumivane marks ($CORES workers)" lumivane_marks "mogrify marks" mogrify_marks \
  "gm mogrify marks" gm_marks
echo
echo "marks job, photos: $(find "$PHOTOS" -type f ! -name '.*' | wc -l) pictures, $CORES cores, median of $REPEATS"
report "lumivane marks ($CORES workers)" "lumivane marks ($CORES workers)" "mogrify marks" "gm mogrify marks"
