#!/usr/bin/env bash
# Remakes the main window's seven images in resources/images/ with ImageMagick
# and the Liberation fonts (Debian: imagemagick, fonts-liberation). The output
# is committed; run this after changing a colour or a size here.
#
#   BACKGROUND.png  128 x 128  seamless texture tile
#   MAIN.png        958 x 472  body: the texture continued, two framed panels
#   LOGO.png         72 x 70   heart with an ECG trace
#   TITLE_PNL_L.png  22 x 100  header band, left end
#   TITLE_PNL_R.png  22 x 100  header band, right end
#   TITLE_PNL_M.png   1 x 100  header band, one middle column
#   TITLE2.png      500 x 66   title lettering; its top-left pixel is the panel colour
set -euo pipefail
cd "$(dirname "$0")/../resources/images"
C=/usr/bin/convert
FONT_BOLD=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
FONT=/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf
for f in "$FONT_BOLD" "$FONT"; do [ -f "$f" ] || { echo "missing font $f (fonts-liberation)" >&2; exit 1; }; done

PANEL='rgb(236,236,235)'    # panel and header colour
NAVY='rgb(0,60,116)'        # frame colour of the buttons, used for accents
TEAL='rgb(0,128,140)'
BORDER='rgb(150,170,190)'
OUT="-strip -depth 8 -define png:exclude-chunks=date,time"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

# Texture: blurred noise on a tiled canvas (so the tile is seamless), mapped to
# a narrow range of light grey (the image stays in the grey colour space, so
# the multiply only darkens it). Fixed seed: the same tile on every run.
$C -seed 1931 -size 128x128 xc: +noise Random -virtual-pixel tile -blur 0x1.2 \
   -colorspace gray -auto-level -virtual-pixel tile -motion-blur 0x6+45 -auto-level \
   +level 88%,97% \
   \( -size 128x128 xc:'rgb(208,221,234)' \) -compose multiply -composite \
   -type TrueColor $OUT BACKGROUND.png

# Body below the header: the texture continued (the image is drawn at (-3, 95),
# so the tile is shifted to meet the texture around it) and two rounded panels
# whose insides are the panel colour. Panel rectangles in image coordinates:
# information panel 19,15 282x441; page area 323,15 619x441.
$C BACKGROUND.png -roll +3-95 -write mpr:tile +delete -size 958x472 tile:mpr:tile "$tmp/body.png"
panel() {  # panel X Y W H: rounded frame drawn 6 px outside the control
    local x0=$(($1 - 6)) y0=$(($2 - 6)) x1=$(($1 + $3 + 5)) y1=$(($2 + $4 + 5))
    echo "roundrectangle $x0,$y0 $x1,$y1 9,9"
}
$C -size 958x472 xc:none -fill 'rgba(20,50,80,0.35)' \
   -draw "$(panel 21 18 282 441)" -draw "$(panel 325 18 619 441)" -blur 0x3 "$tmp/shadow.png"
$C "$tmp/body.png" "$tmp/shadow.png" -compose over -composite \
   -fill "$PANEL" -stroke "$BORDER" -strokewidth 1 \
   -draw "$(panel 19 15 282 441)" -draw "$(panel 323 15 619 441)" \
   -type TrueColor $OUT MAIN.png

# Header band, 100 px high: the panel colour with a soft highlight at the top,
# a navy rule and a teal rule near the bottom, then a short shadow (the body
# image covers everything from row 95 down).
$C -size 1x18 gradient:'rgb(250,250,249)'-"$PANEL" \
   \( -size 1x70 xc:"$PANEL" \) \
   \( -size 1x1 xc:'rgb(210,214,218)' \) \
   \( -size 1x3 xc:"$NAVY" \) \
   \( -size 1x1 xc:"$TEAL" \) \
   \( -size 1x7 gradient:'rgb(150,158,166)'-'rgb(200,202,205)' \) \
   -append -type TrueColor $OUT TITLE_PNL_M.png
# Ends: the same column, shaded towards the outer edge with a thin border.
$C TITLE_PNL_M.png -scale 22x100\! \
   \( -size 100x22 gradient:'rgb(255,255,255)'-'rgb(205,212,220)' -rotate -90 \) \
   -compose multiply -composite \
   -fill 'rgb(170,182,195)' -draw 'line 21,0 21,92' -type TrueColor $OUT TITLE_PNL_R.png
$C TITLE_PNL_R.png -flop -type TrueColor $OUT TITLE_PNL_L.png

# Logo: a navy rounded badge with a white heart and a teal ECG trace, on the
# header colour (the window draws every image opaque).
$C -size 72x70 xc:"$PANEL" \
   -fill "$NAVY" -stroke none -draw 'roundrectangle 2,1 69,68 12,12' \
   -fill 'rgb(255,255,255)' \
   -draw 'path "M 36,58 C 10,40 10,16 24,14 C 30,13 34,17 36,22 C 38,17 42,13 48,14 C 62,16 62,40 36,58 Z"' \
   -fill none -stroke "$TEAL" -strokewidth 3 -draw "stroke-linejoin round" \
   -draw 'polyline 8,38 22,38 26,33 30,38 34,38 38,20 42,50 46,38 50,38 54,34 58,38 64,38' \
   -type TrueColor $OUT LOGO.png

# Title: the product's name and what it is, on the panel colour. The top-left
# pixel stays exactly the panel colour (the window reads it).
$C -size 500x66 xc:"$PANEL" \
   -font "$FONT_BOLD" -pointsize 34 -fill "$NAVY" -gravity north -annotate +0+4 'Велитор-Vudeze' \
   -font "$FONT" -pointsize 15 -fill 'rgb(70,90,110)' -gravity south \
   -annotate +0+6 'Комплекс суточного мониторирования электрокардиограмм' \
   -type TrueColor $OUT TITLE2.png

for f in BACKGROUND MAIN LOGO TITLE_PNL_L TITLE_PNL_R TITLE_PNL_M TITLE2; do
    printf '%-12s %s\n' "$f" "$($C "$f.png" -format '%wx%h' info:)"
done
echo "TITLE2 top-left: $($C TITLE2.png -format '%[pixel:p{0,0}]' info:)"
