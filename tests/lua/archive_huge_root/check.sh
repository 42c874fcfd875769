printf 'root ran\nfinalized\n' | cmp - "$STDOUT"
