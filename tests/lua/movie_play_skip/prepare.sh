set -e
cp "$FIXTURES/movie/count.mp4" .
