#!/usr/bin/env bash
# Damaged JPEGs against sound ones. Copies of a few photographs (baseline,
# progressive, arithmetic, with restart markers) with one bit flipped, or one
# byte overwritten, somewhere in their scan; the decoder library's own tool
# (djpeg) says which of them it finds corrupt. A run over them must write
# none of those as made; a run over the sound files (the same photographs,
# and every wallpaper photograph) must refuse none. With a HEIC read first,
# as a phone's folder holds.
#
#   bench/damage.sh [COPIES_PER_PHOTO]
set -euo pipefail
cd "$(dirname "$0")/.."
COPIES="${1:-40}"
WORK="${BENCH_DIR:-/tmp/lumivane-bench}/damage"
./scripts/deps libjpeg-turbo-progs libvips-tools libheif-examples mate-backgrounds >/dev/null
./scripts/build >/dev/null
BATCH="$PWD/build/cli/lumivane-batch"
fail() { echo "bench FAILED: $*" >&2; exit 1; }

rm -rf "$WORK"; mkdir -p "$WORK/sound" "$WORK/damaged" "$WORK/src"
mapfile -t photos < <(find /usr/share/backgrounds/mate -name '*.jpg' | sort | head -4)
[ "${#photos[@]}" -ge 2 ] || fail "too few wallpapers"
i=0
for p in "${photos[@]}"; do
  djpeg "$p" >"$WORK/src/p.ppm"
  cjpeg -quality 90 -outfile "$WORK/sound/base$i.jpg" "$WORK/src/p.ppm"
  cjpeg -quality 90 -progressive -outfile "$WORK/sound/prog$i.jpg" "$WORK/src/p.ppm"
  cjpeg -quality 90 -arithmetic -outfile "$WORK/sound/arith$i.jpg" "$WORK/src/p.ppm"
  cjpeg -quality 90 -restart 2 -outfile "$WORK/sound/rst$i.jpg" "$WORK/src/p.ppm"
  cp "$p" "$WORK/sound/wall$i.jpg"
  i=$((i + 1))
done
vips black "$WORK/src/h.v" 64 48 --bands 3
vips copy "$WORK/src/h.v" "$WORK/src/h.png"
heif-enc -q 50 -o "$WORK/sound/0-phone.heic" "$WORK/src/h.png" >/dev/null
cp "$WORK/sound/0-phone.heic" "$WORK/damaged/"

# Flips with a fixed seed: the same corpus every run.
python3 - "$WORK/sound" "$WORK/damaged" "$COPIES" <<'EOF'
import os, random, sys
sound, damaged, copies = sys.argv[1], sys.argv[2], int(sys.argv[3])
rnd = random.Random(7)
for name in sorted(os.listdir(sound)):
    if not name.endswith('.jpg') or name.startswith('wall'):
        continue
    data = open(os.path.join(sound, name), 'rb').read()
    scan = data.index(b'\xff\xda')  # the first scan's header
    for k in range(copies):
        b = bytearray(data)
        at = rnd.randrange(scan + 20, len(b) - 2)
        if k % 2:
            b[at] ^= 1 << rnd.randrange(8)
        else:
            b[at] = rnd.randrange(256)
        if b[at] == 0xFF or bytes(b) == data:
            continue  # a new marker, or nothing changed: not the damage measured here
        open(os.path.join(damaged, f'{name[:-4]}-{k:03}.jpg'), 'wb').write(bytes(b))
EOF

corrupt=0
: >"$WORK/corrupt.txt"
for f in "$WORK"/damaged/*.jpg; do
  said=$(djpeg "$f" 2>&1 >/dev/null || true)
  if grep -qiE 'corrupt|premature|error' <<<"$said"; then
    corrupt=$((corrupt + 1)); basename "$f" >>"$WORK/corrupt.txt"
  fi
done

run() {  # folder -> manifest
  "$BATCH" --source "$WORK/$1" --target "$WORK/out-$1" --width 800 --overwrite yes --workers 2 \
    --manifest "$WORK/$1.jsonl" >"$WORK/$1.log" 2>&1 || true
}
run sound
run damaged
sound_total=$(grep -c . "$WORK/sound.jsonl")
refused_sound=$(grep -vc '"result":"processed"' "$WORK/sound.jsonl" || true)
made_corrupt=0
while read -r name; do
  if grep -F "/$name\"" "$WORK/damaged.jsonl" | grep -q '"result":"processed"'; then
    made_corrupt=$((made_corrupt + 1)); echo "made though corrupt: $name"
  fi
done <"$WORK/corrupt.txt"
refused_damaged=$(grep -vc '"result":"processed"' "$WORK/damaged.jsonl" || true)
damaged_total=$(grep -c '\.jpg' "$WORK/damaged.jsonl")
echo "damaged copies: $damaged_total, djpeg finds $corrupt corrupt; refused $refused_damaged;" \
  "made though corrupt: $made_corrupt"
echo "sound files: $sound_total, refused: $refused_sound"
[ "$made_corrupt" -eq 0 ] || fail "$made_corrupt corrupt copies written as made"
[ "$refused_sound" -eq 0 ] || fail "$refused_sound sound files refused"
