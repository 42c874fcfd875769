# The engine's messages are CP932; compare them as UTF-8, each on its tagged line.
set -e
out=$(iconv -f CP932 -t UTF-8 "$STDOUT")
has() { printf '%s\n' "$out" | grep -F -- "$1:" | grep -qF -- "$2" || { echo "missing: $1: $2"; exit 1; }; }
for t in dup-empty reverse-empty resize-empty trim-empty joinx-empty joiny-other-empty; do
  has $t "root.lua:"
  has $t "空のビットマップを複製しようとしました。"
done
has create-zero "ビットマップの大きさが不正です。(0,5)"
has create-negative "ビットマップの大きさが不正です。(3,-1)"
has create-huge "ビットマップの大きさが不正です。(100000,100000)"
has resize-zero "ビットマップの大きさが不正です。(0,4)"
has trim-inverted "トリミングの範囲が不正です。(5,0)-(2,3)"
has save-empty "空のビットマップをセーブしようとしました。"
has savealpha-empty "空のビットマップをセーブしようとしました。"
has savealpha-bmp "savealphaはグレースケールPNG形式もしくはarl形式です"
has savealpha-noext "savealphaはグレースケールPNG形式もしくはarl形式です"
has not-a-bitmap "bitmap expected"
has bad-int "number expected"
has missing '画像ファイル"no/such/picture.png"がありません。'
has unwritable 'ファイル"no-such-folder/out.png"に書き込めませんでした。(No such file or directory)'
printf '%s\n' "$out" | grep -qx "methods ok"
[ ! -e never.png ]
[ ! -e never.arl ]
[ ! -e alpha.bmp ]
