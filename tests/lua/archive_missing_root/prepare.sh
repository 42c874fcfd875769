# An archive without root.lua and no loose root.lua.
set -e
mkdir src && echo "data" > src/other.txt
"$QAR" pack src -o 00.qar
rm -rf src
