// Resources only: a string table and a version resource with two
// translations, for the tests of string loading and product names.
int wmain() { return 0; }
