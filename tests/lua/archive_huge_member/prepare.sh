# A script (03.qar) and a JPEG (05.qar), each the only member of its archive,
# with index sizes patched to 0xFFFFFF00: reads deliver the bytes that exist,
# and nothing is sized by the declared size (see memory_limit).
set -e
pack() {  # pack DIR ARCHIVE MEMBER: packs DIR, then declares MEMBER 0xFFFFFF00 bytes long
  "$QAR" pack "$1" -o "$2"
  off=$(grep -obUaF "\"$3\"" "$2" | head -n 1 | cut -d: -f1)
  printf '\x00\xff\xff\xff' | dd of="$2" bs=1 seek=$((off + ${#3} + 2)) conv=notrunc status=none
  "$QAR" list "$2" | grep -q "4294967040 enciphered $3"
  rm -rf "$1"
}
mkdir a b
printf 'return 6 * 7, "sub"\n' > a/sub.lua
cp "$FIXTURES/texture/solid16x8.jpg" b/pic.jpg
pack a 03.qar sub.lua
pack b 05.qar pic.jpg
