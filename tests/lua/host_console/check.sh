printf 'aβ7\n12\n二行目\n1.5\nnil\ntrue\nfalse\nagain\n' | cmp - "$STDOUT"
