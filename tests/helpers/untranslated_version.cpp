// Resources only: a version resource that lists no translation.
int wmain() { return 0; }
