grep -q "damaged members ok" "$STDOUT"
