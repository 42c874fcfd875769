# Every picture must equal its golden frame pixel for pixel.
set -e
for f in fade_half fade_1_5 rollup_quarter universal_hard universal_soft shapes; do
  [ -s $f.png ] || { echo "no $f.png"; exit 1; }
  python3 pngdiff.py $f.png "$GOLDEN/transition/$f.png" ${TOLERANCE:-0} ${OUTLIERS:-0} || { echo "$f differs"; exit 1; }
done
