# The bytes the bitset wrote, and nothing left in /dev/shm.
[ "$(od -An -tx1 flags.bin | tr -d ' \n')" = "0002" ] || { echo "flags.bin: $(od -An -tx1 flags.bin)"; exit 1; }
[ "$(od -An -tx1 flags2.bin | tr -d ' \n')" = "000200" ] || exit 1
! ls /dev/shm | grep -q 'qor-' || { echo "left in /dev/shm: $(ls /dev/shm)"; exit 1; }
