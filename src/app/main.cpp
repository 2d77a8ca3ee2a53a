// STUB: replaced by the entry point work.
int main(int argc, char**) { return argc == 1 ? 1 : 0; }
