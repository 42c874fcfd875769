grep -q "override ok" "$STDOUT"
