# The PNG comparer of the texture_frame scenario.
cp "$FIXTURES/../lua/texture_frame/pngdiff.py" .
