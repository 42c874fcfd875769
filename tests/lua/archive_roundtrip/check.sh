grep -q "round trip ok" "$STDOUT"
