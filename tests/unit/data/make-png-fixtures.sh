#!/usr/bin/env bash
# Remakes the PNG decoder fixtures with ImageMagick: for every NAME.png a
# NAME.rgba holds what ImageMagick itself decodes from it (8 bits per sample,
# red, green, blue, alpha), the reference the host test compares against.
# Sixteen-bit fixtures are made from 8-bit sources so each sample is v * 257
# and both decoders agree on the 8-bit value.
set -euo pipefail
cd "$(dirname "$0")"
C=/usr/bin/convert
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
# Fixed seed: the fixtures come out the same on every run.
S="-seed 7"

# Sources: 13 x 11 so that every Adam7 pass has a ragged edge.
$C $S -size 13x11 xc: -fx 'rand()' -colorspace gray -depth 8 "$tmp/gray.png"
$C $S -size 13x11 xc: -fx 'rand()' -depth 8 "$tmp/color.png"
$C $S -size 13x11 xc: -fx 'rand()' -colorspace gray -depth 8 "$tmp/alpha.png"

out() {  # out NAME [convert arguments...]: writes NAME.png and NAME.rgba
    local name=$1; shift
    $C "$@" "$name.png"
    $C "$name.png" -depth 8 "rgba:$name.rgba"
}

for il in none PNG; do
    sfx=""; [ $il = PNG ] && sfx="_i"
    for d in 1 2 4; do
        out "gray$d$sfx" "$tmp/gray.png" -posterize $((1 << d)) -strip -interlace $il \
            -depth $d -define png:color-type=0 -define png:bit-depth=$d
    done
    out "gray8$sfx" "$tmp/gray.png" -strip -interlace $il -define png:color-type=0 -define png:bit-depth=8
    out "gray16$sfx" "$tmp/gray.png" -strip -interlace $il -depth 16 \
        -define png:color-type=0 -define png:bit-depth=16
    out "rgb8$sfx" "$tmp/color.png" -strip -interlace $il -define png:color-type=2 -define png:bit-depth=8
    out "rgb16$sfx" "$tmp/color.png" -strip -interlace $il -depth 16 \
        -define png:color-type=2 -define png:bit-depth=16
    for d in 1 2 4; do
        out "pal$d$sfx" "$tmp/color.png" +dither -colors $((1 << d)) -strip -interlace $il \
            -define png:color-type=3 -define png:bit-depth=$d
    done
    out "pal8$sfx" "$tmp/color.png" +dither -colors 200 -strip -interlace $il \
        -define png:color-type=3 -define png:bit-depth=8
    out "graya8$sfx" "$tmp/gray.png" "$tmp/alpha.png" -alpha off -compose copy_opacity -composite \
        -strip -interlace $il -define png:color-type=4 -define png:bit-depth=8
    out "graya16$sfx" "$tmp/gray.png" "$tmp/alpha.png" -alpha off -compose copy_opacity -composite \
        -strip -interlace $il -depth 16 -define png:color-type=4 -define png:bit-depth=16
    out "rgba8$sfx" "$tmp/color.png" "$tmp/alpha.png" -alpha off -compose copy_opacity -composite \
        -strip -interlace $il -define png:color-type=6 -define png:bit-depth=8
    out "rgba16$sfx" "$tmp/color.png" "$tmp/alpha.png" -alpha off -compose copy_opacity -composite \
        -strip -interlace $il -depth 16 -define png:color-type=6 -define png:bit-depth=16
done

# Transparency by tRNS: a gray key, a colour key, and palette alpha.
out gray_trns "$tmp/gray.png" -posterize 4 -transparent 'gray(0)' -strip -depth 2 \
    -define png:color-type=0 -define png:bit-depth=2
out rgb_trns -size 9x5 xc:'#E0E8F0' -fill '#336699' -draw 'rectangle 2,1 5,3' -transparent '#336699' \
    -strip -define png:color-type=2
out pal_trns -size 9x5 xc:'#3070B0' -alpha set -fill 'rgba(200,40,40,0.5)' \
    -region 4x3+1+1 -alpha transparent -draw 'rectangle 1,1 4,3' +region \
    -region 1x1+7+2 -alpha transparent +region -strip
# Ancillary chunks the decoder skips (gAMA, cHRM, bKGD, tIME, tEXt).
out ancillary "$tmp/color.png" -define png:color-type=2
