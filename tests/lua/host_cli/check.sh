# --help and --version answer and exit 0 without running a game.
out=$("$QOR" --help) || exit 1
echo "$out" | grep -q -- --headless || exit 1
ver=$("$QOR" --version) || exit 1
echo "$ver" | grep -q '^qor ' || exit 1
# Counts and screenshot paths a script cannot trust are refused at start-up:
# an empty or out-of-range count is a bad option (2); a screenshot that
# cannot be written has its own status (3).
for n in "" 99999999999999999999 -1 1x; do
  "$QOR" --headless --frames "$n" . > /dev/null 2>&1
  [ $? = 2 ] || { echo "--frames \"$n\" was accepted"; exit 1; }
done
"$QOR" --headless --screenshot "" . > /dev/null 2>&1
[ $? = 2 ] || { echo "--screenshot \"\" was accepted"; exit 1; }
"$QOR" --headless --screenshot nosuchdir/x.png . > /dev/null 2> shot.err
[ $? = 3 ] || { echo "an unwritable screenshot did not give status 3"; exit 1; }
grep -q 'cannot write the screenshot' shot.err || exit 1
grep -qx ran "$STDOUT"
