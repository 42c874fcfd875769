# Alt+L without a hook: the page is written into $TMPDIR while the game runs
# and removed by the clean-up at exit. The input file's relative name is
# taken from where qor was started, not from the game folder.
mkdir -p tmp
TMPDIR=$PWD/tmp timeout 60 "$QOR" --renderer soft --headless --input page/input.txt --frames 3 page > page.out 2> page.err
status=$?
[ $status = 0 ] || { echo "page run exited with $status"; cat page.err; exit 1; }
grep -q "page written" page.out || { echo "the page was not seen"; cat page.err; exit 1; }
[ ! -e tmp/qorlicense.html ] || { echo "the page was left behind at exit"; exit 1; }
