# A font file shipped inside the game's archive, and a damaged one beside it.
set -e
mkdir -p src/fonts
cp "$FIXTURES/font/noto_subset.otf" "$FIXTURES/font/truncated.otf" src/fonts/
"$QAR" pack src -o 00.qar > /dev/null
rm -rf src
