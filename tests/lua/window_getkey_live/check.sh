grep -qx "live ok" "$STDOUT"
