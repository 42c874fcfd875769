grep -q "archive module ok" "$STDOUT"
