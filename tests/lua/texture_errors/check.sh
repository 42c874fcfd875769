set -e
out=$(iconv -f CP932 -t UTF-8 "$STDOUT")
has() { printf '%s\n' "$out" | grep -F -- "$1:" | grep -qF -- "$2" || { echo "missing: $1: $2"; exit 1; }; }
has before-create 'gui.createの前に'
has missing 'テクスチャファイル"nothing.png"が開けませんでした。'
has movie-name 'テクスチャファイル名がおかしいです。> :movie(op.mpg'
has movie-open 'ファイル"a.mpg"が見つかりません。'
has rectlt 'テクスチャの描画：ソース座標が不正です。-1,0'
has save 'ファイル"notadir/x.png"に書き込めませんでした。'
has savealpha 'savealphaはグレースケールPNG形式もしくはarl形式です'
has bitmap-scene 'レンダリングターゲットはひとつだけです。'
printf '%s\n' "$out" | grep -qx "errors ok"
# The saved copy is a 3 x 2 RGBA PNG; the alpha file holds 6 alpha bytes.
[ "$(od -An -tu1 -j16 -N8 saved.png | tr -s ' ')" = " 0 0 0 3 0 0 0 2" ]
[ "$(od -An -tu1 -j25 -N1 saved.png | tr -d ' ')" = 6 ]
[ -s saved.arl ]
