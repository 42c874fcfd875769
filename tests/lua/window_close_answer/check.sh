grep -qx "finalize frame=5 closes=0" "$STDOUT" || exit 1
# Confirmed: the first close ends the run with status 0.
timeout 60 "$QOR" --headless --renderer soft --input input.txt --answer yes . > yes.out 2> yes.err || { echo "confirmed close: status $?"; exit 1; }
grep -q "終了しますか？ -> yes" yes.err && grep -qx "finalize frame=1 closes=0" yes.out || { cat yes.out yes.err; exit 1; }
# With the hook no question is asked, even with --answer yes.
QOR_TEST_HOOK=1 timeout 60 "$QOR" --headless --renderer soft --input input.txt --answer yes --frames 4 . > hook.out 2> hook.err || { echo "hook run: status $?"; exit 1; }
grep -qx "finalize frame=4 closes=2" hook.out && ! grep -q "終了しますか" hook.err || { cat hook.out hook.err; exit 1; }
