mkdir -p shots
