# The screenshot is the third frame (index 2: red 16, green 239), scaled to the window.
set -e
[ "$(convert shot.png -format '%w %h' info:)" = "128 96" ]
px=$(convert shot.png -format '%[fx:int(255*p{100,80}.r)] %[fx:int(255*p{100,80}.g)]' info:)
set -- $px
[ "$1" -ge 10 ] && [ "$1" -le 22 ] && [ "$2" -ge 230 ] || { echo "pixel $px"; exit 1; }
