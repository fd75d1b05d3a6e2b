#!/usr/bin/env bash
# The Windows program against the Linux one: the same batch of Chinese-named
# folders and pictures (JPEG, PNG, BMP, WebP, a damaged JPEG) run by both,
# with both marks, with a preset, and joined into a page. The names made,
# the sizes, the report's rows (but for the byte counts) must be the same
# and every picture within PSNR 45 dB of the Linux one made with the
# library's generated code off (VIPS_NOVECTOR=1): the Windows library has
# none, and its arithmetic is that of the Linux library without it. Prints
# a table of the pictures compared, with the PSNR against the Linux
# program's usual outputs beside it (its generated code rounds some samples
# of a resize one to three levels apart, which a JPEG's quantisation then
# spreads: about 43 dB on detailed photographs).
#
#   bench/windows-parity.sh LINUX_BATCH WINDOWS_BATCH_EXE
# scripts/test-windows runs it with wine set up (WINEPREFIX, WINEPATH).
set -euo pipefail
cd "$(dirname "$0")/.."
LINUX="$(realpath "$1")"
WINDOWS="$(realpath "$2")"
WORK="${BENCH_DIR:-/tmp/lumivane-bench}/windows-parity"
MIN_PSNR=45
./scripts/deps libvips-tools mate-backgrounds >/dev/null
fail() { echo "bench FAILED: $*" >&2; exit 1; }

rm -rf "$WORK"; mkdir -p "$WORK/in/源图/商品图" "$WORK/in/源图/详情 长图"
cd "$WORK/in"
mapfile -t photos < <(find /usr/share/backgrounds/mate -name '*.jpg' | sort | head -6)
[ "${#photos[@]}" -ge 6 ] || fail "too few wallpapers"
vips thumbnail "${photos[0]}" "源图/商品图/红色杯子.jpg[Q=92]" 2400
vips thumbnail "${photos[1]}" "源图/商品图/白色 T恤.png" 1600
vips thumbnail "${photos[2]}" "源图/商品图/侧面.webp[Q=90]" 1200
vips thumbnail "${photos[3]}" "$WORK/bmp.v" 900
for i in 1 2 3; do
  vips thumbnail "${photos[$((i + 2))]}" "源图/详情 长图/0$i.jpg[Q=90]" 1000
done
# A BMP as old cameras' software saves it: 24 bits, rows bottom up.
vips flip "$WORK/bmp.v" "$WORK/flipped.v" vertical
vips rawsave "$WORK/flipped.v" "$WORK/bmp.raw"
python3 - "$WORK/bmp.raw" "$(vipsheader -f width "$WORK/bmp.v")" "$(vipsheader -f height "$WORK/bmp.v")" \
  "源图/商品图/旧相机.bmp" <<'EOF'
import struct, sys
raw = open(sys.argv[1], 'rb').read()
w, h = int(sys.argv[2]), int(sys.argv[3])
pad = (4 - w * 3 % 4) % 4
rows = b''.join(bytes(raw[(y * w + x) * 3 + 2 - c] for x in range(w) for c in range(3)) + b'\0' * pad
                for y in range(h))
head = struct.pack('<2sIHHIIiiHHIIiiII', b'BM', 54 + len(rows), 0, 0, 54, 40, w, h, 1, 24, 0,
                   len(rows), 2835, 2835, 0, 0)
open(sys.argv[4], 'wb').write(head + rows)
EOF
# A JPEG with a run of its scan overwritten: neither program may make it.
python3 - "源图/商品图/红色杯子.jpg" "源图/商品图/坏了.jpg" <<'EOF'
import sys
b = bytearray(open(sys.argv[1], 'rb').read())
b[len(b) // 2:len(b) // 2 + 900] = bytes(900)
open(sys.argv[2], 'wb').write(b)
EOF
vips text "$WORK/logo.v" "<b>LUMI</b>" --dpi 200
vips bandjoin_const "$WORK/logo.v" "$WORK/logo3.v" "0 0"
vips bandjoin "$WORK/logo3.v $WORK/logo.v" logo.png

runs=(
  "水印|--source 源图 --subfolders --width 800 --text 促销_Sale_50% --font WenQuanYi_Zen_Hei --font-size 36 --text-position center,center --image logo.png --image-position right,bottom"
  "主图|--source 源图 --subfolders --preset 主图"
  "长图|--source 源图/详情_长图 --join --width 750"
)
for side in linux fast windows; do
  cp -r "$WORK/in" "$WORK/$side"
  for run in "${runs[@]}"; do
    name="${run%%|*}"
    read -r -a args <<<"${run#*|}"
    args=("${args[@]//_/ }")  # the spaces of the names and the text
    (
      cd "$WORK/$side"
      if [ "$side" = linux ]; then
        VIPS_NOVECTOR=1 "$LINUX" "${args[@]}" --target "出图-$name" --overwrite yes >"$name.log" 2>&1 || true
      elif [ "$side" = fast ]; then
        "$LINUX" "${args[@]}" --target "出图-$name" --overwrite yes >"$name.log" 2>&1 || true
      else
        wine "$WINDOWS" "${args[@]}" --target "出图-$name" --overwrite yes >"$name.log" 2>&1 || true
      fi
    )
  done
done

psnr() {
  vips subtract "$1" "$2" "$WORK/d.v" && vips multiply "$WORK/d.v" "$WORK/d.v" "$WORK/sq.v"
  # 99: the same pixels.
  awk -v m="$(vips avg "$WORK/sq.v")" 'BEGIN { if (m == 0) print 99; else printf "%.1f\n", 10 * log(255 * 255 / m) / log(10) }'
}
bad=0
printf '%-40s %-10s %8s %8s\n' "picture" "size" "PSNR dB" "usual"
for run in "${runs[@]}"; do
  out="出图-${run%%|*}"
  (cd "$WORK/linux" && find "$out" -type f | sort) >"$WORK/linux.list"
  (cd "$WORK/windows" && find "$out" -type f | sort) >"$WORK/windows.list"
  diff "$WORK/linux.list" "$WORK/windows.list" || { echo "$out: other names made"; bad=1; }
  # The report's rows, but for the bytes of each picture.
  for side in linux windows; do
    tr -d '\r' <"$WORK/$side/$out/处理报告.csv" | cut -d, -f1-4,6- >"$WORK/$side.rows"
  done
  diff "$WORK/linux.rows" "$WORK/windows.rows" || { echo "$out: other report rows"; bad=1; }
  while read -r file; do
    case "$file" in *.jpg | *.png) ;; *) continue ;; esac
    a="$WORK/linux/$file" b="$WORK/windows/$file"
    [ -f "$b" ] || continue
    size_a="$(vipsheader -f width "$a")x$(vipsheader -f height "$a")"
    size_b="$(vipsheader -f width "$b")x$(vipsheader -f height "$b")"
    [ "$size_a" = "$size_b" ] || { echo "$file: $size_a on Linux, $size_b on Windows"; bad=1; continue; }
    db="$(psnr "$a" "$b")"
    printf '%-40s %-10s %8s %8s\n' "$file" "$size_a" "$db" "$(psnr "$WORK/fast/$file" "$b")"
    awk -v d="$db" -v m="$MIN_PSNR" 'BEGIN { exit !(d >= m) }' || bad=1
  done <"$WORK/linux.list"
done
grep -h "坏了" "$WORK"/windows/*.log | head -1
[ "$bad" = 0 ] || fail "the Windows program's outputs differ (see above; $WORK)"
echo "windows parity: every picture the same size and within $MIN_PSNR dB, the same names and rows"
