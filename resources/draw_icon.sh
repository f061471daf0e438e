#!/usr/bin/env bash
# Regenerates korvex.ico: a file panel (blue title bar, two list columns)
# under a magnifying glass. Each size has its own pixel-grid layout so the
# small ones stay sharp instead of being blurry downscales of the big one.
set -euo pipefail
# Decimal points and file ordering must not depend on the caller's locale.
export LC_ALL=C

IM=/usr/bin/convert
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Drawn at SS x the target size, then box-filtered down: exact pixel coverage.
SS=8

ACCENT='#1D4ED8'  # product accent (0xD84E1D in Windows BGR order)
LIGHT='#3B82F6'   # dark-theme accent, for magnified text in the lens
BODY='#FFFFFF'
ROWS='#93C5FD'
RING='#1E3A8A'
LENS='#DBEAFE'

# All values are in target pixels (edge coordinates, so integers are crisp).
#      size panel:x0 y0 x1 y1 rad  frame hdr brad  div:x0 x1  rows:top step h n  left:x0 x1  right:x0 x1  lens:cx cy r ring  handle:x0 y0 x1 y1 w  gap detail
LAYOUTS='
16    0   1   13  13  1.5    1   4   0        6   7     6   2   1  3    2   5      0   0      10.5 10.5 4.5  2     13.5 13.5 15   15   2.5   1   0
20    0   1   16  16  2      1   5   0        7   8     7   2   1  4    2   5      0   0      12.5 12.5 5.5  2     16.5 16.5 18.5 18.5 3     1   0
24    1   2   20  20  2      1   6   0        9   10    8   3   2  3    3   7      0   0      15   15   7    3     20   20   22   22   3.5   1   0
32    1   3   25  27  3      2   8   1        12  13    11  4   2  3    5   10     0   0      20.5 20.5 8.5  2.5   26   26   29.5 29.5 4     1.5 1
40    1   3   32  34  3.5    2   10  1        16  17    13  4   2  4    5   13     19  29     25.5 25.5 10.5 3     32.5 32.5 37   37   5     1.5 1
48    1   4   38  40  4      2   12  1.5      19  20    16  5   2  4    6   16     23  35     31   31   12   3.5   39   39   44.5 44.5 6     1.5 2
64    2   5   50  53  6      3   16  2        25  27    21  7   3  4    8   22     31  47     41   41   16   4.5   52   52   59   59   7.5   2   2
256   8   20  200 212 24     12  64  8        100 108   84  28  12 4    32  86     122 186    164  164  64   18    208  208  236  236  30    8   2
'

# Print an awk expression's value; keeps the MVG below readable.
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

render() {
  local s=$1 px0=$2 py0=$3 px1=$4 py1=$5 pr=$6 fr=$7 hdr=$8 br=$9
  shift 9
  local dx0=$1 dx1=$2 ly=$3 ls=$4 lh=$5 ln=$6 lx0=$7 lx1=$8 rx0=$9
  shift 9
  local rx1=$1 cx=$2 cy=$3 r=$4 rw=$5 hx0=$6 hy0=$7 hx1=$8 hy1=$9
  shift 9
  local hw=$1 gap=$2 detail=$3
  local big=$((s * SS))
  # Scale to the supersampled grid; the -0.5 turns IM's inclusive pixel
  # rectangles into edge-to-edge coverage.
  local xf="affine $SS,0,0,$SS,-0.5,-0.5"

  # Panel: accent frame with a thick top edge as the title bar, white body.
  local panel="$xf fill $ACCENT roundrectangle $px0,$py0 $px1,$py1 $pr,$pr"
  # A zero radius would make IM skip the shape, so square corners need rectangle.
  local body="$((px0 + fr)),$hdr $((px1 - fr)),$((py1 - fr))"
  if [[ $br == 0 ]]; then
    panel+=" fill $BODY rectangle $body"
  else
    panel+=" fill $BODY roundrectangle $body $br,$br"
  fi
  panel+=" fill $ROWS rectangle $dx0,$hdr $dx1,$((py1 - fr))"
  # Ragged row lengths read as file names; too noisy at the smallest sizes.
  local -a frac=(1 1 1 1)
  if ((detail > 0)); then frac=(1 0.7 0.88 0.55); fi
  local i y e
  for ((i = 0; i < ln; i++)); do
    y=$((ly + i * ls))
    e=$(calc "int($lx0 + ($lx1 - $lx0) * ${frac[i]} + 0.5)")
    panel+=" rectangle $lx0,$y $e,$((y + lh))"
    # The lens hides the right column at small sizes (x0 == x1 there).
    ((rx1 > rx0)) || continue
    e=$(calc "int($rx0 + ($rx1 - $rx0) * ${frac[(i + 2) % 4]} + 0.5)")
    panel+=" rectangle $rx0,$y $e,$((y + lh))"
  done

  # Knockout: a transparent gap keeps the glass readable over the panel.
  local knock="$xf fill white stroke none circle $cx,$cy $(calc "$cx + $r + $gap"),$cy"
  knock+=" stroke white stroke-width $(calc "$hw + 2 * $gap") stroke-linecap round"
  knock+=" line $hx0,$hy0 $hx1,$hy1"

  # Glass: handle first so the ring overlaps its inner end.
  local glass="$xf stroke $RING stroke-width $hw stroke-linecap round line $hx0,$hy0 $hx1,$hy1"
  glass+=" stroke none fill $RING circle $cx,$cy $(calc "$cx + $r"),$cy"
  local ir
  ir=$(calc "$r - $rw")
  glass+=" fill $LENS circle $cx,$cy $(calc "$cx + $ir"),$cy"
  if ((detail > 1)); then
    # Magnified rows inside the lens.
    local bh
    bh=$(calc "$ir * 0.26")
    glass+=" fill $LIGHT"
    glass+=" roundrectangle $(calc "$cx - $ir * 0.6"),$(calc "$cy - $ir * 0.12") $(calc "$cx + $ir * 0.6"),$(calc "$cy - $ir * 0.12 + $bh") $(calc "$bh / 2"),$(calc "$bh / 2")"
    glass+=" roundrectangle $(calc "$cx - $ir * 0.6"),$(calc "$cy + $ir * 0.32") $(calc "$cx + $ir * 0.2"),$(calc "$cy + $ir * 0.32 + $bh") $(calc "$bh / 2"),$(calc "$bh / 2")"
  fi
  if ((detail > 0)); then
    # Glint on the upper-left of the glass.
    local gr
    gr=$(calc "$ir * 0.72")
    glass+=" fill none stroke $BODY stroke-width $(calc "$ir * 0.16") stroke-linecap round"
    glass+=" ellipse $cx,$cy $gr,$gr 200,250"
  fi

  "$IM" -size "${big}x${big}" xc:none +antialias \
    \( -clone 0 -draw "$panel" \) \
    \( -clone 0 -draw "$knock" \) \
    \( -clone 0 -draw "$glass" \) \
    -delete 0 \
    \( -clone 0 -clone 1 -compose DstOut -composite \) -delete 0,1 \
    +swap -compose Over -composite \
    -filter Box -resize "${s}x${s}" \
    -strip "PNG32:$tmp/$(printf '%03d' "$s").png"
}

while read -r -a row; do
  ((${#row[@]})) || continue
  render "${row[@]}"
done <<<"$LAYOUTS"

# Largest first; IM stores the 256 frame as PNG and the rest as 32-bit BMP.
mapfile -t frames < <(ls -r "$tmp"/*.png)
"$IM" "${frames[@]}" -strip "$here/korvex.ico"
