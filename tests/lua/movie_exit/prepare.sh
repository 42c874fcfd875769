set -e
cp "$FIXTURES/movie/sound.mp4" .
