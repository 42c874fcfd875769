# The explicit run says nothing about the display; a run without --headless
# and without a display says once that it runs headless.
if grep -q "no display available" "$STDERR"; then echo "--headless run printed the notice"; exit 1; fi
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 60 "$QOR" --renderer soft --frames 2 . > auto.out 2> auto.err
status=$?
[ $status = 0 ] || { echo "run without a display exited with $status"; cat auto.err; exit 1; }
n=$(grep -c "^qor: no display available; running headless$" auto.err)
[ "$n" = 1 ] || { echo "notice printed $n times"; cat auto.err; exit 1; }
grep -q "keep going? -> yes" auto.err || { echo "the box was not answered headless"; cat auto.err; exit 1; }
