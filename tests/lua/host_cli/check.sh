# --help and --version answer and exit 0 without running a game.
out=$("$QOR" --help) || exit 1
echo "$out" | grep -q -- --headless || exit 1
ver=$("$QOR" --version) || exit 1
echo "$ver" | grep -q '^qor ' || exit 1
grep -qx ran "$STDOUT"
