# The demo's text panel script, as the demo ships it.
set -e
cp "$FIXTURES/../../examples/demo/packed/text.lua" .
