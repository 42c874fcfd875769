grep -q "nowindow ok" "$STDOUT"
