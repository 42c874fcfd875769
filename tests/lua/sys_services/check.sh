# The bytes the bitset wrote.
[ "$(od -An -tx1 flags.bin | tr -d ' \n')" = "0002" ] || { echo "flags.bin: $(od -An -tx1 flags.bin)"; exit 1; }
[ "$(od -An -tx1 flags0.bin | tr -d ' \n')" = "0100" ] || exit 1
[ "$(od -An -tx1 flags2.bin | tr -d ' \n')" = "000200" ] || exit 1
