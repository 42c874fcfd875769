# Alt+L without a hook: the page is written into a folder only this user can
# enter while the game runs, and removed by the clean-up at exit. The input
# file's relative name is taken from where qor was started, not from the game
# folder.
page_run() {  # page_run NAME: runs the page game; fails unless it saw the page
  timeout 60 "$QOR" --renderer soft --headless --input page/input.txt --frames 3 page > "$1.out" 2> "$1.err"
  status=$?
  [ $status = 0 ] || { echo "$1 run exited with $status"; cat "$1.err"; return 1; }
  grep -q "page written" "$1.out" || { echo "$1: the page was not seen"; cat "$1.err"; return 1; }
}
# $XDG_RUNTIME_DIR when it is private to the user.
mkdir -p run tmp && chmod 700 run
XDG_RUNTIME_DIR=$PWD/run TMPDIR=$PWD/tmp page_run xdg || exit 1
[ ! -e run/qorlicense.html ] || { echo "the page was left behind at exit"; exit 1; }
# Otherwise a new private folder in the temp folder. A link planted under the
# page's name in the shared temp folder is neither followed nor removed.
ln -s "$PWD/victim.txt" tmp/qorlicense.html
env -u XDG_RUNTIME_DIR TMPDIR=$PWD/tmp bash -c "$(declare -f page_run); QOR='$QOR' page_run tmp" || exit 1
[ ! -e victim.txt ] || { echo "the planted link was followed"; exit 1; }
[ -L tmp/qorlicense.html ] || { echo "the planted link was removed"; exit 1; }
[ -z "$(ls -d tmp/qor-* 2>/dev/null)" ] || { echo "the private folder was left behind"; exit 1; }
