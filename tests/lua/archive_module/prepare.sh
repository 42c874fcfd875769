# Packs pack/ into 00.qar and removes it, so root.lua and the scripts exist only
# as archive members. Members holding zero bytes are written here.
set -e
printf 'return 7\0 this is not Lua' > pack/zero.lua
printf 'abc\0def' > pack/zero.bin
"$QAR" pack pack -o 00.qar
rm -rf pack
