# An archive cut short inside its last member (on a block boundary): reads
# deliver the bytes that exist.
set -e
mkdir src
printf '%032d' 0 > src/a.txt                      # 32 bytes: long.txt starts on a block
head -c 100 /dev/zero | tr '\0' x > src/long.txt
"$QAR" pack src -o 01.qar
off=$("$QAR" list 01.qar | awk '$4 == "long.txt" { print $1 }')
[ $((off % 32)) = 0 ]
truncate -s $((off + 64)) 01.qar
rm -rf src
