set -e
out=$(iconv -f CP932 -t UTF-8 "$STDOUT")
has() { printf '%s\n' "$out" | grep -F -- "$1:" | grep -qF -- "$2" || { echo "missing: $1: $2"; exit 1; }; }
has "empty-save pics/truncated.png" "空のビットマップをセーブしようとしました。"
printf '%s\n' "$out" | grep -qx "files ok"
# Archived and loose copies decode to the same pixels.
for n in rgba.png rgb.png block.jpg grey.png palette.png rgb16.png interlaced.png; do cmp "loose_$n.png" "packed_$n.png"; done
[ "$(od -An -tu1 -j25 -N1 noalpha.png | tr -d ' ')" = 2 ]  # colour type RGB
[ "$(od -An -tx1 a.arl | tr -d ' \n')" = 010703 ]
[ "$(od -An -tx1 b.ARL | tr -d ' \n')" = 0401020302 ]
[ ! -e never.png ]
if ls -a | grep -q 'tmp-'; then echo "temporary file left behind"; exit 1; fi
