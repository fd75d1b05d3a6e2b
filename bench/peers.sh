#!/usr/bin/env bash
# Lumivane against its peers on one job, in one run.
#
#   bench/peers.sh [REPEATS]
#
# Builds a corpus of real photographs (Debian's mate-backgrounds and
# plasma-workspace-wallpapers) scaled to 4000x3000, 3000x4000 and 6000x4000
# JPEGs, plus CMYK JPEGs, transparent PNGs and BMPs; then runs the same job
# (shrink to width 640, never enlarge, quality 95, a text line and a PNG
# watermark at the bottom right with 16-pixel margins) with Lumivane's
# engine, ImageMagick's mogrify, GraphicsMagick and libvips's vipsthumbnail
# (which cannot draw watermarks, so it does less), and prints pictures per
# second, the median of REPEATS runs (default 3), and each ratio to Lumivane.
set -euo pipefail
cd "$(dirname "$0")/.."
REPEATS="${1:-3}"
WORK="${BENCH_DIR:-/tmp/lumivane-bench}"
CORES="$(nproc)"

need=()
for p in mate-backgrounds plasma-workspace-wallpapers imagemagick graphicsmagick libvips-tools; do
  dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
fi
./scripts/deps
./scripts/build >/dev/null
BATCH="$PWD/build/cli/lumivane-batch"

mkdir -p "$WORK"
CORPUS="$WORK/corpus"
if [ ! -f "$CORPUS/.complete" ]; then
  rm -rf "$CORPUS"; mkdir -p "$CORPUS"
  # The largest picture of each wallpaper, photographs first.
  mapfile -t photos < <(find /usr/share/backgrounds/mate /usr/share/wallpapers -type f \
      \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.png' \) -size +200k -printf '%s %p\n' \
      | sort -rn | awk '{print $2}' | head -n 60)
  sizes=(4000x3000 3000x4000 6000x4000)
  n=0
  for src in "${photos[@]}"; do
    size="${sizes[$((n % 3))]}"
    if [ "$n" -lt 46 ]; then
      convert "$src" -resize "${size}^" -gravity center -extent "$size" -quality 92 "$CORPUS/photo$n.jpg"
    elif [ "$n" -lt 52 ]; then
      convert "$src" -resize "${size}^" -gravity center -extent "$size" -colorspace CMYK -quality 92 "$CORPUS/cmyk$n.jpg"
    elif [ "$n" -lt 58 ]; then
      convert "$src" -resize 2000x1500^ -gravity center -extent 2000x1500 \
        \( +clone -alpha extract -sparse-color Barycentric '0,0 white %w,%h black' \) \
        -alpha off -compose copy_opacity -composite "$CORPUS/alpha$n.png"
    else
      convert "$src" -resize 3000x2000^ -gravity center -extent 3000x2000 -type TrueColor "BMP3:$CORPUS/plain$n.bmp"
    fi
    n=$((n + 1))
    [ "$n" -ge 60 ] && break
  done
  touch "$CORPUS/.complete"
fi
COUNT="$(find "$CORPUS" -type f ! -name '.*' | wc -l)"
MARK="$PWD/resources/images/sy.png"
FONT="/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"
TEXT="shop.example.com"

run_lumivane() {
  local workers="$1" out="$WORK/out/lumivane"
  rm -rf "$out"; mkdir -p "$WORK/lv"
  (cd "$WORK/lv" && "$BATCH" --source "$CORPUS" --target "$out" --width 640 --quality 95 \
    --text "$TEXT" --font "Liberation Sans" --font-size 26 --text-position right,bottom \
    --text-margins 16,16 --image "$MARK" --image-position right,bottom --image-margins 16,16 \
    --overwrite yes --workers "$workers" 2>/dev/null)
}
run_mogrify() {
  local out="$WORK/out/im"; rm -rf "$out"; mkdir -p "$out"
  mogrify -path "$out" -format jpg -colorspace sRGB -resize '640x>' -background white -alpha remove \
    -gravity SouthEast -font "$FONT" -pointsize 26 -annotate +16+16 "$TEXT" \
    -draw "image over 16,16 0,0 '$MARK'" -quality 95 "$CORPUS"/* 2>/dev/null
}
gm_job() {  # gm_job OUT FILES... (names relative to the corpus: gm joins them to OUT)
  local out="$1"; shift
  cd "$CORPUS"
  gm mogrify -output-directory "$out" -format jpg -colorspace RGB -resize '640x>' \
    -gravity SouthEast -font "$FONT" -pointsize 26 \
    -draw "text 16,16 '$TEXT'" -draw "image Over 16,16 0,0 '$MARK'" -quality 95 "$@" 2>/dev/null
}
run_gm() {
  local out="$WORK/out/gm"; rm -rf "$out"; mkdir -p "$out"
  (cd "$CORPUS" && gm_job "$out" *)
}
run_gm_two() {
  local out="$WORK/out/gm2"; rm -rf "$out"; mkdir -p "$out"
  export -f gm_job; export FONT TEXT MARK CORPUS
  (cd "$CORPUS" && find . -type f ! -name '.*' -printf '%P\0' |
    xargs -0 -n $(( (COUNT + 1) / 2 )) -P 2 bash -c 'gm_job "$0" "$@"' "$out")
}
run_vips() {
  local out="$WORK/out/vips"; rm -rf "$out"; mkdir -p "$out"
  vipsthumbnail "$CORPUS"/* --size '640x>' -o "$out/%s.jpg[Q=95]" 2>/dev/null
}
run_vips_two() {
  local out="$WORK/out/vips2"; rm -rf "$out"; mkdir -p "$out"
  find "$CORPUS" -type f ! -name '.*' -print0 | xargs -0 -n $(( (COUNT + 1) / 2 )) -P 2 \
    vipsthumbnail --size '640x>' -o "$out/%s.jpg[Q=95]" 2>/dev/null
}

median_seconds() {  # median_seconds COMMAND...
  local times=()
  for _ in $(seq "$REPEATS"); do
    local start end
    start=$(date +%s.%N); "$@" || true; end=$(date +%s.%N)
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

declare -A pps
order=()
measure() {  # measure NAME COMMAND...
  local name="$1"; shift
  local s; s="$(median_seconds "$@")"
  pps[$name]="$(awk -v n="$COUNT" -v s="$s" 'BEGIN {print n / s}')"
  order+=("$name")
}

measure "lumivane ($CORES workers)" run_lumivane "$CORES"
measure "lumivane (1 worker)" run_lumivane 1
measure "mogrify" run_mogrify
measure "gm mogrify" run_gm
measure "gm mogrify, 2 processes" run_gm_two
measure "vipsthumbnail (no watermarks)" run_vips
measure "vipsthumbnail, 2 processes" run_vips_two

base="${pps[lumivane ($CORES workers)]}"
echo
echo "$COUNT pictures ($(find "$CORPUS" -name '*.jpg' | wc -l) JPEG, $(find "$CORPUS" -name '*.png' | wc -l) PNG, $(find "$CORPUS" -name '*.bmp' | wc -l) BMP), $CORES cores, median of $REPEATS"
printf '%-32s %10s %10s\n' "tool" "pict/s" "ratio"
for name in "${order[@]}"; do
  printf '%-32s %10.2f %10.2f\n' "$name" "${pps[$name]}" "$(awk -v a="${pps[$name]}" -v b="$base" 'BEGIN {print a / b}')"
done
