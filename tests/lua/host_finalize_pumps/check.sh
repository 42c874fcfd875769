finished() {  # finished OUT: finalize ran to its end, __gc ran, the screenshot exists
  grep -qx "after doevents" "$1" || { echo "finalize was cut short"; return 1; }
  grep -qx "gc ran" "$1" || { echo "no __gc ran"; return 1; }
  [ -s shot.png ] || { echo "no screenshot"; return 1; }
}
finished "$STDOUT" || exit 1
rm -f shot.png
timeout 60 "$QOR" --headless --renderer soft --input close.txt --answer yes --screenshot shot.png . > close.out 2> close.err
[ $? = 0 ] || { echo "close run status"; cat close.err; exit 1; }
finished close.out || exit 1
rm -f shot.png
QOR_TEST_EXIT=1 timeout 60 "$QOR" --headless --renderer soft --frames 2 --screenshot shot.png . > exit.out 2> exit.err
status=$?
[ $status = 7 ] || { echo "os.exit(7) in finalize gave status $status"; cat exit.err; exit 1; }
finished exit.out
