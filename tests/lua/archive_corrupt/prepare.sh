# 00.qar cut short inside its (enciphered) index: start-up must refuse it.
set -e
mkdir src
for i in 1 2 3 4 5 6 7 8; do echo "file $i" > "src/member-with-a-long-name-$i.txt"; done
"$QAR" pack src -o 00.qar
head -c 64 00.qar > cut && mv cut 00.qar
rm -rf src
