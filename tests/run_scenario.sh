#!/usr/bin/env bash
# Runs one scenario game headless and checks its outcome.
# usage: run_scenario.sh QOR QAR SCENARIO_DIR WORK_DIR
#
# The scenario folder is copied to WORK_DIR (tests may write files there). Optional files:
#   prepare.sh   run first in WORK_DIR with QOR, QAR, FIXTURES in the environment
#                (e.g. to pack an archive with qar or copy fixtures)
#   args         extra command-line options for qor (one line)
#   exit_code    expected exit status (default 0)
#   stderr.txt   lines that must each appear in qor's stderr
#   stdin        fed to qor's standard input (otherwise it reads the runner's)
#   memory_limit address-space limit for qor in KiB (ulimit -v); not applied when
#                QOR_SANITIZED is set, as sanitizer shadow memory needs far more
#   check.sh     run last in WORK_DIR; gets STDOUT/STDERR file names and the exit status
# A sanitizer report on the stderr of qor, prepare.sh or check.sh fails the scenario.
set -u
QOR=$1 QAR=$2 SRC=$3 WORK=$4
export QOR QAR FIXTURES=${QOR_FIXTURES:-$(dirname "$SRC")/../fixtures} GOLDEN=${QOR_GOLDEN:-}
rm -rf "$WORK"; mkdir -p "$WORK"; cp -r "$SRC"/. "$WORK"/
cd "$WORK" || exit 2
# The steps' stderr is kept for the sanitizer check and shown as usual.
: > steps.err
if [ -f prepare.sh ]; then
  bash prepare.sh 2>> steps.err; rc=$?
  cat steps.err >&2
  [ $rc = 0 ] || { echo "prepare.sh failed"; exit 1; }
fi
args=""; [ -f args ] && args=$(cat args)
want=0; [ -f exit_code ] && want=$(tr -d ' \n' < exit_code)
limit=""; [ -f memory_limit ] && [ -z "${QOR_SANITIZED:-}" ] && limit=$(tr -d ' \n' < memory_limit)
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
[ -f stdin ] && exec 0< stdin
# shellcheck disable=SC2086
(
  [ -n "$limit" ] && ulimit -v "$limit"
  exec timeout 100 "$QOR" --headless $args . > stdout.txt 2> stderr.out
)
got=$?
status=0
if [ "$got" != "$want" ]; then
  echo "exit status $got, expected $want"; status=1
fi
if [ -f stderr.txt ]; then
  while IFS= read -r line; do
    [ -z "$line" ] && continue
    grep -qF -- "$line" stderr.out || { echo "stderr lacks: $line"; status=1; }
  done < stderr.txt
fi
if [ $status = 0 ] && [ -f check.sh ]; then
  STDOUT=stdout.txt STDERR=stderr.out EXIT=$got bash check.sh 2> check.err || { echo "check.sh failed"; status=1; }
  cat check.err >&2; cat check.err >> steps.err
fi
for f in stderr.out steps.err; do
  if grep -qE -e 'ERROR: (AddressSanitizer|LeakSanitizer)' -e 'runtime error:' "$f"; then
    echo "sanitizer report in $f"; status=1
  fi
done
if [ $status != 0 ]; then
  echo "--- stdout"; head -c 4000 stdout.txt; echo "--- stderr"; head -c 4000 stderr.out
fi
exit $status
