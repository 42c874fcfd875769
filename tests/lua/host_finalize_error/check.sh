printf 'body\nfinalizing\n' | cmp - "$STDOUT"
