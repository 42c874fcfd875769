# Two copies of one game, two different games, and the lock after kill -9.
set -u
wait_ready() { for _ in $(seq 500); do grep -q ready "$1" && return 0; sleep 0.02; done; echo "no ready in $1"; return 1; }
rm -f release mode
# The block's name is unique to this run (two builds may run the suite at once).
pair="qor-pair-$$"; echo "$pair" > pairname
"$QOR" --headless gamea > a1.out 2> a1.err & a=$!
wait_ready a1.out || exit 1
[ -e "/dev/shm/qor-Local%5C$pair" ] || { echo "no block named qor-Local%5C$pair"; exit 1; }
# A second copy of the same game: its callback runs once, then it goes on (and ends);
# without a function it stops with the fatal message; with a non-function it raises.
echo second > mode
"$QOR" --headless gamea > a2.out 2>&1 || { echo "second copy failed"; cat a2.out; exit 1; }
[ "$(grep -c 'second copy' a2.out)" = 1 ] || { echo "callback: $(cat a2.out)"; exit 1; }
echo fatal > mode
"$QOR" --headless gamea > fatal.out 2>&1; rc=$?
[ $rc = 255 ] && grep -q "このプログラムは二重起動できません。" fatal.out || { echo "fatal: $rc $(cat fatal.out)"; exit 1; }
echo notfunc > mode
"$QOR" --headless gamea > notfunc.out 2>&1
grep -q "^false.*シングルトン処理には関数を渡してください。" notfunc.out || { echo "notfunc: $(cat notfunc.out)"; exit 1; }
rm -f mode
"$QOR" --headless gameb > b.out 2>&1 || { echo "gameb failed: $(cat b.out)"; exit 1; }
touch release
wait $a || { echo "gamea failed: $(cat a1.err)"; exit 1; }
grep -q "reply from B" a1.out || { echo "gamea read: $(cat a1.out)"; exit 1; }
grep -q "second copy" a1.out && { echo "the first copy was affected"; exit 1; }
# kill -9 releases the lock: a new copy runs as the only one.
rm -f release
"$QOR" --headless gamea > a3.out 2>&1 & a=$!
wait_ready a3.out || exit 1
kill -9 $a; wait $a 2>/dev/null
"$QOR" --headless gamea > a4.out 2>&1 & a=$!
wait_ready a4.out || exit 1
grep -q "second copy" a4.out && { echo "lock kept after kill -9"; exit 1; }
touch release; wait $a || exit 1
# The last user removed the block's name (also the one left by the killed copy).
[ ! -e "/dev/shm/qor-Local%5C$pair" ] || { echo "block left in /dev/shm"; exit 1; }
# The documents folder from the environment, with a Japanese name.
mkdir -p "ドキュメント"
XDG_DOCUMENTS_DIR="$PWD/ドキュメント" "$QOR" --headless gamec > c.out 2>&1 || { echo "gamec: $(cat c.out)"; exit 1; }
[ "$(stat -c %s "ドキュメント/save/flags")" = 2 ] || { echo "no save/flags"; exit 1; }
# The copies started here are checked for sanitizer reports like the scenario's own.
! grep -lE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' ./*.out ./*.err || exit 1
