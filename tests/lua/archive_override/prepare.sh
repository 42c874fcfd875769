# The same names in 00.qar (enciphered index) and 03.qar (plain index): the
# higher archive wins. A loose root.lua beats the member root.lua of 00.qar.
set -e
"$QAR" pack a00 -o 00.qar
"$QAR" pack a03 -o 03.qar
rm -rf a00 a03
