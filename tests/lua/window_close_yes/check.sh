grep -q "^finalized$" "$STDOUT"
