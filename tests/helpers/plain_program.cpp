// A program that does nothing: without resources, for file searches that
// must read such a file as version 0.0.0.0; with the *.rc of another name,
// the program of that resource.
int wmain() { return 0; }
