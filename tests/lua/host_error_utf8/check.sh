grep -qx finalized "$STDOUT"
