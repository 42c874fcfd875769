# qar round trip: random binary and text files, sounds stored plain, nested
# folders, sizes around the 32-byte block; packed into an even and an odd
# archive, extracted and compared byte for byte, and each member compared
# with `qar cat`. root.lua then reads every non-sound member in the engine.
set -e -o pipefail
mkdir -p src/bin/deep/er src/text src/Sound src1/voice
: > src/bin/empty.dat
for n in 1 31 32 33 1000 70000; do head -c $n /dev/urandom > src/bin/r$n.dat; done
head -c 77 /dev/urandom > src/bin/deep/er/x.bin
head -c 5000 /dev/urandom > src/Sound/music.ogg
cp "$FIXTURES/archive/tone.ogg" "$FIXTURES/archive/tone.wav" src/Sound/
head -c 4097 /dev/urandom > src/Sound/Effect.WAV
printf 'first line\nsecond line\n' > src/text/Readme.TXT
seq 1 3000 > src/text/numbers.txt
head -c 3333 /dev/urandom > src1/odd.dat
head -c 65 /dev/urandom > src1/voice/line.wav
printf 'odd archive text' > src1/odd.txt

"$QAR" pack src -o 00.qar
"$QAR" pack src1 -o 01.qar
# The same folder always gives the same archive.
mkdir again && "$QAR" pack src -o again/00.qar
cmp 00.qar again/00.qar
# Archives are whole blocks.
for a in 00.qar 01.qar; do [ $(( $(stat -c %s $a) % 32 )) = 0 ]; done

for a in 00 01; do
  dir=src; [ $a = 01 ] && dir=src1
  "$QAR" extract $a.qar -C out$a
  diff -r $dir out$a
  (cd $dir && find . -type f | sed 's|^\./||') | while IFS= read -r f; do
    "$QAR" cat $a.qar "$f" | cmp - "$dir/$f"
  done
done
# Sounds are stored as they are; everything else is not.
"$QAR" list 00.qar | grep -q 'plain *Sound\\music.ogg'
"$QAR" list 00.qar | grep -q 'enciphered *text\\Readme.TXT'
if grep -q "second line" 00.qar; then echo "text stored in clear"; exit 1; fi

# The members the engine reads back (sounds are read by the sound loader).
(cd src && find . -type f ! -iname '*.ogg' ! -iname '*.wav' | sed 's|^\./|src/|') > members.txt
(cd src1 && find . -type f ! -iname '*.ogg' ! -iname '*.wav' | sed 's|^\./|src1/|') >> members.txt

# Clear errors, status 1.
if "$QAR" pack src -o data.qar 2> err; then exit 1; fi; grep -q "NN.qar" err
if "$QAR" cat 00.qar no/such/member 2> err; then exit 1; fi; grep -q "no member" err
if "$QAR" list 01.qar -n 00 2> err; then exit 1; fi; grep -q "corrupt" err
if "$QAR" frobnicate 2> err; then exit 1; fi; grep -q "unknown command" err
"$QAR" --help | grep -q "qar pack DIR"
