# The boot log places the window in the middle of the desktop (1920x1080 headless).
iconv -f CP932 -t UTF-8 qordxbootlog.txt | grep -q "スクリーン位置 x=800,y=420" || { echo "headless position not logged"; exit 1; }
grep -q "^checked$" "$STDOUT" || { echo "the checks did not run"; exit 1; }
# On a real X server (when Xvfb is installed): a 1024x768 desktop, and Alt+L
# starts xdg-open (a stand-in on PATH records what it was asked to open).
command -v xvfb-run >/dev/null || { echo "xvfb-run not installed; X display part skipped"; exit 0; }
mkdir -p bin tmp run && chmod 700 run
printf '#!/bin/sh\necho "$1" > "%s/opened"\n' "$PWD" > bin/xdg-open
chmod +x bin/xdg-open
rm -f qordxbootlog.txt
# (Under the sanitizers, leak reports are off for this run: the X and D-Bus
# client libraries keep allocations of their own until the process ends.)
PATH=$PWD/bin:$PATH TMPDIR=$PWD/tmp XDG_RUNTIME_DIR=$PWD/run ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" \
  "$QOR" --renderer soft --input input.txt --frames 6 . > x11.out 2> x11.err
status=$?
[ $status = 0 ] || { echo "X display run exited with $status"; cat x11.err; exit 1; }
grep -q "^checked$" x11.out || { echo "X display checks did not run"; cat x11.err; exit 1; }
iconv -f CP932 -t UTF-8 qordxbootlog.txt | grep -q "スクリーン位置 x=352,y=264" || { echo "X position not logged"; exit 1; }
for i in 1 2 3 4 5 6 7 8 9 10; do [ -s opened ] && break; sleep 0.2; done
grep -q "/run/qorlicense.html$" opened || { echo "xdg-open was not started on the page"; exit 1; }
