// A program without any version resource, for file searches that must read
// such a file as version 0.0.0.0.
int wmain() { return 0; }
