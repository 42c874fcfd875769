printf 'done\n' | cmp - "$STDOUT" && ! grep -q エラー "$STDERR"
