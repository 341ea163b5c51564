// tesk31: corona effects and power-frequency fields of an overhead line.
int main() { return 0; }
