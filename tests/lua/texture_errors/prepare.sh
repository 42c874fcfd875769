set -e
cp "$FIXTURES/texture/grey.png" "$FIXTURES/texture/rgba3x2.png" .
touch notadir
