#!/bin/bash
# Runs a console program under Wine (tools/windows/wine-run.sh) with the
# Windows C runtime's text-mode line ends, CR LF, turned back into LF on stdout
# and stderr: the scenario checks read qor's output as the Linux build writes
# it. Keeps the program's exit status, and returns only once both filters have
# written everything. Not for programs whose stdout is binary.
exec {out}> >(tr -d '\r')
out_pid=$!
exec {err}> >(tr -d '\r' >&2)
err_pid=$!
"$(dirname "$0")/wine-run.sh" "$@" >&$out 2>&$err
status=$?
exec {out}>&- {err}>&-
wait $out_pid $err_pid
exit $status
