# The messages are in the engine's ANSI code page.
set -e
iconv -f CP932 -t UTF-8 "$STDOUT" > out.utf8
expect() { grep -qF -- "$1" out.utf8 || { echo "missing: $1"; cat out.utf8; exit 1; }; }
expect "OGG再生設定：第１引数にテーブルを渡してください。"
test "$(grep -cF 'OGG再生設定：第１引数にテーブルを渡してください。' out.utf8)" = 2
test "$(grep -cF 'OGG再生設定：nameにファイル名を渡してください。' out.utf8)" = 2
expect "OGG再生設定：looppointにはループ位置（少数で秒単位）を指定してください。"
expect "OGG再生設定：volumeには数値(0～-10000)を指定してください。"
expect "OGG再生速度：speedには数値(1もしくは2)を指定してください。"
expect "OGG再生設定：panには数値(-10000～-10000)を指定してください。"
expect "OGG再生設定：fadeintimeには数値(少数：秒単位)を指定してください。"
expect "ファイル\"absent.ogg\"がありませんでした。"
expect "ファイル\"aaaaaaaaaa"
expect "\"が開けませんでした。"
expect "root.lua:"
expect "done"
