# Real image files as loose files and as archive members.
set -e
mkdir -p loose src/pics pics
for f in rgb.png rgba.png grey.png palette.png truncated.png bitflip.png rgb16.png interlaced.png block.jpg; do
  cp "$FIXTURES/bitmap/$f" loose/
  cp "$FIXTURES/bitmap/$f" src/pics/
done
cp "$FIXTURES/bitmap/rgb.png" src/pics/override.png
cp "$FIXTURES/bitmap/big.png" pics/override.png   # the loose file must win
cp "$FIXTURES/bitmap/rgb.png" loose/rgb.txt
cp "$FIXTURES/bitmap/rgb.png" .png
"$QAR" pack src -o 00.qar
