set -e
out=$(iconv -f CP932 -t UTF-8 "$STDOUT")
has() { printf '%s\n' "$out" | grep -F -- "$1:" | grep -qF -- "$2" || { echo "missing: $1: $2"; exit 1; }; }
has before-create 'gui.createの前に'
has create-zero 'D3DERR_INVALIDCALL (0 10) '
has missing 'テクスチャファイル"nothing.png"が開けませんでした。'
has grey 'テクスチャのロード：フルカラーPNGにしか対応していません。'
has movie-name 'テクスチャファイル名がおかしいです。> :movie(op.mpg'
has movie-open 'ムービーファイルが再生できませんでした。'
has fillrect 'テクスチャのロック領域が間違っています。左上座標1,1 右下座標1,1'
has lock 'テクスチャロックに範囲外を指定しました。(0,0)～(3,0)'
has rectlt 'テクスチャの描画：ソース座標が不正です。-1,0'
has tri-table 'draw2polygonには頂点のテーブルを渡してください。'
has tri-data 'draw2polygonに渡したデータに誤りがあります。'
has tri-count 'draw2dpolygonに渡す点の数は３の倍数でなければなりません。'
has render-tex '座標指定がテクスチャからはみ出しています。Texture dx,dy=2,0 w,h=2,1'
has render-bmp '座標指定がビットマップからはみ出しています。Bitmap sx,sy=1,1 w,h=2,2'
has save 'ファイル"notadir/x.png"に書き込めませんでした。'
has savealpha 'savealphaはグレースケールPNG形式もしくはarl形式です'
has second-scene 'レンダリングターゲットはひとつだけです。'
has bitmap-scene 'レンダリングターゲットはひとつだけです。'
has empty '空のテクスチャ'
printf '%s\n' "$out" | grep -qx "errors ok"
# The saved copy is a 3 x 2 RGBA PNG; the alpha file holds 6 alpha bytes.
[ "$(od -An -tu1 -j16 -N8 saved.png | tr -s ' ')" = " 0 0 0 3 0 0 0 2" ]
[ "$(od -An -tu1 -j25 -N1 saved.png | tr -d ' ')" = 6 ]
[ -s saved.arl ]
