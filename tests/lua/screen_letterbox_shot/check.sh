# The screenshot has the back buffer's size: the desktop in stretched mode.
set -e
test -f shot.png
[ "$(od -An -tx1 -j12 -N4 shot.png | tr -d ' \n')" = 49484452 ]          # IHDR
[ "$(od -An -tu1 -j16 -N8 shot.png | tr -s ' ' | sed 's/^ //')" = "0 0 0 160 0 0 0 90" ]
