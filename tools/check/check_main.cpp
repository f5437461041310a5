// tessaro-check [--quiet | --explain] FILE: what Tessaro will make of a
// configuration file. Findings go out as compilers print them
// ("FILE:LINE: warning: ..."), then the prerequisites as Tessaro reads them,
// or, with --explain (Windows builds), how Tessaro decides on this machine.
// Exit status: 0 clean, 1 with warnings, 2 when the file cannot be read.
#include <cstdio>
#include <string>
#include <vector>

#include "tessaro_version.h"
#include "tools/check/config_check.h"
#include "tools/check/prerequisite_listing.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/properties.h"
#include "tools/check/decision_explainer.h"
using ArgumentChar = wchar_t;
#define CHECK_TEXT(text) L##text
#else
using ArgumentChar = char;
#define CHECK_TEXT(text) text
#endif
using Argument = std::basic_string<ArgumentChar>;

namespace tessaro {
namespace {

constexpr int kClean = 0;
constexpr int kWarnings = 1;
constexpr int kUnreadable = 2;

// Both builds print UTF-8; wchar_t is UTF-16 on Windows and UTF-32 elsewhere.
std::string Utf8(const std::wstring& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
      const auto low = static_cast<char32_t>(text[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

#ifndef _WIN32
// Linux arguments are bytes already, UTF-8 by convention.
std::string Utf8(const std::string& argument) { return argument; }
#endif

std::FILE* OpenForReading(const Argument& path) {
#ifdef _WIN32
  return _wfopen(path.c_str(), L"rb");
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

// The folder of the checked file, where the package's files lie when it is
// the package's folder.
class FileFolder final : public PackageFolder {
 public:
  explicit FileFolder(const Argument& configPath) {
    const std::size_t slash = configPath.find_last_of(CHECK_TEXT("/\\"));
    folder_ = slash == Argument::npos ? Argument() : configPath.substr(0, slash + 1);
    const Argument name = configPath.substr(folder_.size());
    program_ = name.substr(0, name.rfind(CHECK_TEXT('.'))) + CHECK_TEXT(".exe");
  }
  [[nodiscard]] bool Holds(const std::wstring& name) const override {
#ifdef _WIN32
    return Exists(folder_ + name);
#else
    std::string path = Utf8(name);
    for (char& c : path) c = c == '\\' ? '/' : c;
    return Exists(folder_ + path);
#endif
  }
  [[nodiscard]] bool HoldsProgram() const override { return Exists(folder_ + program_); }

 private:
  static bool Exists(const Argument& path) {
    std::FILE* file = OpenForReading(path);
    if (file != nullptr) std::fclose(file);
    return file != nullptr;
  }

  Argument folder_;
  Argument program_;
};

#ifdef _WIN32
std::wstring ExpandLocation(const std::wstring& location) { return ResolveProperties(location, false); }
#endif

bool ReadWholeFile(const Argument& path, std::vector<unsigned char>& bytes) {
  std::FILE* file = OpenForReading(path);
  if (file == nullptr) return false;
  unsigned char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return !failed;
}

int Check(const Argument& path, bool quiet, bool explain) {
  std::vector<unsigned char> bytes;
  if (!ReadWholeFile(path, bytes)) {
    std::fprintf(stderr, "%s: error: cannot read the file\n", Utf8(path).c_str());
    return kUnreadable;
  }
  const FileFolder folder(path);
  ConfigCheck check;
#ifdef _WIN32
  // Locations are expanded as a run on this machine expands them.
  check.Run(bytes.data(), bytes.size(), &folder, explain ? &ExpandLocation : nullptr);
#else
  check.Run(bytes.data(), bytes.size(), &folder);
#endif
  const std::string name = Utf8(path);
  for (const Finding& finding : check.Findings()) {
    const std::string where = finding.line > 0 ? name + ":" + std::to_string(finding.line) : name;
    std::printf("%s: warning: %s\n", where.c_str(), Utf8(finding.text).c_str());
  }
  if (!quiet || explain) {
    if (!check.Findings().empty()) std::printf("\n");
#ifdef _WIN32
    ChainerOptions options = check.Options();
    const std::wstring text = explain ? DecisionExplainer().Explain(options, path)
                                      : DescribeConfiguration(options, check.Chainer());
#else
    const std::wstring text = DescribeConfiguration(check.Options(), check.Chainer());
#endif
    std::fputs(Utf8(text).c_str(), stdout);
  }
  return check.Findings().empty() ? kClean : kWarnings;
}

int Main(const std::vector<Argument>& arguments) {
  bool quiet = false;
  bool explain = false;
  const Argument* path = nullptr;
  for (const Argument& argument : arguments) {
    if (argument == CHECK_TEXT("--version")) {
      std::printf("tessaro-check %s\n", TESSARO_VERSION_TEXT);
      return kClean;
    }
    if (argument == CHECK_TEXT("--quiet")) {
      quiet = true;
#ifdef _WIN32
    } else if (argument == CHECK_TEXT("--explain")) {
      explain = true;
#endif
    } else if (path == nullptr && !argument.starts_with(CHECK_TEXT("--"))) {
      path = &argument;
    } else {
      path = nullptr;
      break;
    }
  }
  if (path == nullptr) {
#ifdef _WIN32
    std::fprintf(
        stderr,
        "usage: tessaro-check [--quiet | --explain] path/to/setup.ini\n       tessaro-check --version\n");
#else
    // --explain evaluates on the machine it runs on, so only the Windows build has it.
    std::fprintf(stderr, "usage: tessaro-check [--quiet] path/to/setup.ini\n       tessaro-check --version\n");
#endif
    return kUnreadable;
  }
  return Check(*path, quiet, explain);
}

}  // namespace
}  // namespace tessaro

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  SetConsoleOutputCP(CP_UTF8);
#else
int main(int argc, char** argv) {
#endif
  return tessaro::Main(std::vector<Argument>(argv + 1, argv + argc));
}
