#!/usr/bin/env bash
# Draws the window's banner (banner.jpg, 450 x 131, progressive JPEG), the
# desktop icon (linkpeel.png, 128 x 128), its other sizes for the icon theme
# (icons/linkpeel-SIZE.png) and the Windows icon (icons/linkpeel.ico) with
# ImageMagick. The files are kept in the repository; run this only to change
# them.
#
# The banner's lowest 11 rows fall below the 120-pixel picture box, so nothing
# that must be seen is drawn there.
set -euo pipefail
cd "$(dirname "$0")"

font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
light=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# A cloud from three circles on a rounded base, white with a soft shadow.
cloud() {  # $1 = x offset, $2 = y offset, $3 = colour
  local x=$1 y=$2
  echo "fill $3 roundrectangle $((x+0)),$((y+34)) $((x+104)),$((y+70)) 18,18" \
       "circle $((x+34)),$((y+38)) $((x+34)),$((y+12))" \
       "circle $((x+64)),$((y+30)) $((x+64)),$((y+0))" \
       "circle $((x+86)),$((y+46)) $((x+86)),$((y+24))"
}

convert -size 450x131 gradient:'#1e6fd9-#0b3d91' \
  -draw "$(cloud 34 28 '#0a2f70')" \
  -draw "$(cloud 30 24 white)" \
  -fill '#1e6fd9' -draw "polygon 71,40 89,40 89,52 100,52 80,70 60,52 71,52" \
  -font "$font" -pointsize 44 -fill white -annotate +158+68 'Linkpeel' \
  -font "$light" -pointsize 15 -fill '#cfe3ff' -annotate +162+94 'share link to download link' \
  -sampling-factor 4:2:0 -quality 92 -interlace JPEG -strip banner.jpg

convert -size 128x128 xc:none \
  -fill '#1e6fd9' -draw "roundrectangle 0,0 127,127 24,24" \
  -draw "$(cloud 12 26 white)" \
  -fill '#1e6fd9' -draw "polygon 53,62 71,62 71,74 82,74 62,92 42,74 53,74" \
  -depth 8 -strip linkpeel.png

# The other sizes are drawn four times as large and scaled down, so that the
# small ones stay smooth and the largest is not a blown-up 128.
mkdir -p icons
convert -size 512x512 xc:none \
  -draw "scale 4,4 fill '#1e6fd9' roundrectangle 0,0 127,127 24,24" \
  -draw "scale 4,4 $(cloud 12 26 white)" \
  -draw "scale 4,4 fill '#1e6fd9' polygon 53,62 71,62 71,74 82,74 62,92 42,74 53,74" \
  -depth 8 -strip icons/linkpeel-512.png
for size in 16 22 24 32 48 64 256; do
  convert icons/linkpeel-512.png -resize "${size}x${size}" -depth 8 -strip icons/linkpeel-$size.png
done
convert icons/linkpeel-{16,24,32,48,256}.png icons/linkpeel.ico
rm icons/linkpeel-512.png
