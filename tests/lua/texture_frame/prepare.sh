# Real image files as loose files and as archive members.
set -e
mkdir -p pics src/packed
cp "$FIXTURES/texture/rgba3x2.png" "$FIXTURES/texture/rgb100x60.png" "$FIXTURES/texture/solid16x8.jpg" pics/
cp "$FIXTURES/texture/rgba3x2.png" "$FIXTURES/texture/solid16x8.jpg" src/packed/
"$QAR" pack src -o 00.qar > /dev/null
rm -rf src
