#!/usr/bin/env bash
# Product shots of the kinds the simple cases miss, for looking at what
# trim, the square canvas, auto level and joined pages do to them:
#
#   bench/seller_cases.sh OUT
#
# OUT/products: thin chains (a 2-pixel and a 1-pixel necklace with a
# pendant) on white, a light product shaded with a soft edge on #f5f5f5, a
# white shirt with a soft shadow under its hem on light grey, dark goods
# (navy on #f5f5f5, blue on warm #fbf8f0, green on a vignette, navy and red
# on #d8d8d8) and a teal ground; OUT/mixed: a detail-page folder of mixed
# widths whose first picture is the narrowest. Draw them beside their
# outputs with ../shared/seller-pictures/look.sh.
set -euo pipefail
OUT="${1:?OUT}"
"$(dirname "$0")/../scripts/deps" imagemagick mate-backgrounds >/dev/null
mkdir -p "$OUT/products" "$OUT/mixed"
cd "$OUT/products"

# A necklace: two strands hanging from the top corners to a pendant.
necklace() {  # necklace NAME STROKE
  convert -size 6000x4000 xc:white -fill none -stroke '#9a9a9a' -strokewidth "$2" \
    -draw "bezier 1500,600 1700,2600 2700,3300 3000,3350" \
    -draw "bezier 4500,600 4300,2600 3300,3300 3000,3350" \
    -stroke none -fill '#8a8a8a' -draw 'circle 3000,3420 3000,3370' -quality 92 "$1"
}
necklace c01-chain-2px.jpg 2
necklace c02-chain-1px.jpg 1

# A light product, shaded top to bottom, its edge blurred, on #f5f5f5.
convert -size 1600x1600 xc:none -fill white -draw 'ellipse 800,800 520,640 0,360' \
  -blur 0x6 .mask.png
convert -size 1600x1600 gradient:'#e6e6e6'-'#cdcdcd' .mask.png -compose copy_opacity -composite .shade.png
convert -size 2000x2000 xc:'#f5f5f5' .shade.png -geometry +200+200 -compose over -composite \
  -quality 92 l01-shaded-light.jpg
# A white shirt on light grey, a soft shadow under its hem only.
convert -size 2000x2000 xc:'#e8e8e8' \
  \( -size 2000x2000 xc:none -fill '#00000060' -draw 'rectangle 560,1500 1440,1560' -blur 0x25 \) \
  -compose over -composite -fill white -stroke '#dcdcdc' \
  -draw 'polygon 600,400 800,320 1200,320 1400,400 1600,700 1440,780 1400,1520 600,1520 560,780 400,700' \
  -quality 92 l02-white-shirt.jpg

# Dark goods on the grounds studios use, each with a soft shadow.
dark() {  # dark NAME GROUND PRODUCT
  convert -size 2400x1800 xc:"$2" \
    \( -size 2400x1800 xc:none -fill '#00000050' -draw 'roundrectangle 760,560 1680,1360 40,40' -blur 0x30 \) \
    -compose over -composite -fill "$3" -draw 'roundrectangle 700,450 1650,1300 40,40' \
    -quality 92 "$1"
}
dark g01-navy-offwhite.jpg '#f5f5f5' '#1b2a4a'
dark g02-blue-warm.jpg '#fbf8f0' '#1d3b8a'
dark g03-navy-grey.jpg '#d8d8d8' '#1b2a4a'
dark g04-red-grey.jpg '#d8d8d8' '#8a1a1a'
dark g05-teal-ground.jpg '#2a8a8a' '#f0f0f0'
convert -size 2400x1800 radial-gradient:'#f8f8f8'-'#b0b0b0' -fill '#1f4a2a' \
  -draw 'roundrectangle 700,450 1650,1300 40,40' -quality 92 g06-green-vignette.jpg
rm -f .mask.png .shade.png

# A detail page's pictures: the first the narrowest, then larger ones.
P=/usr/share/backgrounds/mate/nature
cd "$OUT/mixed"
convert "$P/Aqua.jpg" -resize 400x300! -quality 90 01-small.jpg
convert "$P/Garden.jpg" -resize 2400x1800! -quality 90 02-large.jpg
convert "$P/Dune.jpg" -resize 2000x2000! -quality 90 03-square.jpg
convert "$P/Storm.jpg" -resize 637x900! -quality 90 04-narrow.jpg
