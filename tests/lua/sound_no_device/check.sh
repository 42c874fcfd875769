# The runner's own run used the dummy driver. Now no driver SDL knows:
SDL_AUDIODRIVER=no-such-driver "$QOR" --headless --renderer soft . > out1.txt 2> err1.txt
st=$?
[ $st = 0 ] || { echo "fallback run exit $st"; cat err1.txt; exit 1; }
grep -q "sound plays silently" err1.txt || { echo "no fallback notice"; cat err1.txt; exit 1; }
# An explicitly requested driver that cannot be opened is the fatal error.
"$QOR" --headless --renderer soft --audio-driver no-such-driver . > out2.txt 2> err2.txt
st=$?
[ $st = 255 ] || { echo "explicit driver exit $st"; exit 1; }
grep -q "DirectSoundの初期化に失敗しました。" err2.txt || { echo "no failure message"; cat err2.txt; exit 1; }
