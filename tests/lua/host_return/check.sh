printf 'body\nfinalized\n' | cmp - "$STDOUT"
