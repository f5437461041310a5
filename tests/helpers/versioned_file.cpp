// A program whose only purpose is its version resource (versioned_file.rc):
// file searches copy it around and read its version.
int wmain() { return 0; }
