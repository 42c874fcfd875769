grep -q "finalize frame=5" "$STDOUT"
