grep -qx ok "$STDOUT"
