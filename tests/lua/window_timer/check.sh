grep -q "^presented 6$" "$STDOUT"
