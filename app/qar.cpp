// qar: the archive tool (placeholder).
int main() { return 1; }
