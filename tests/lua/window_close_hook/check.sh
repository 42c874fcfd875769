grep -q "finalize closes=2" "$STDOUT"
