#include "core/cleanup_script.h"

#include <initializer_list>

#include "platform/decimal_text.h"

namespace tessaro {

namespace {

// The templates in printf's notation ("%%" for one "%"), so that they read
// exactly as the scripts have always been written. Each "%s" or "%lu" takes
// the next argument in order; the blanks before the line ends belong to them.
constexpr char kFolderUnlimited[] =
    "@echo off \r\n%%SystemRoot%%\\System32\\attrib.exe -r \"%s\" \r\n:try \r\nrd \"%s\" \r\n"
    "if exist \"%s\" goto try\r\n%%SystemRoot%%\\System32\\attrib.exe -r \"%s\" \r\ndel \"%s\" | cls";
constexpr char kFileUnlimited[] =
    "@echo off \r\n%%SystemRoot%%\\System32\\attrib.exe -r \"%s\" \r\n:try \r\ndel \"%s\" \r\n"
    "if exist \"%s\" goto try\r\n%%SystemRoot%%\\System32\\attrib.exe -r \"%s\" \r\ndel \"%s\" | cls";
// Two blanks after "timeout.exe" here and one in the file's template: both
// have always been written so.
constexpr char kFolderLimited[] =
    "@echo off \r\n%%SystemRoot%%\\System32\\attrib.exe -r \"%s\" \r\nSET count=0 \r\n:try \r\n"
    "%%SystemRoot%%\\System32\\timeout.exe  5 \r\nSET /a count=%%count%%+1\r\nrd \"%s\" \r\n"
    "if %%count%% GTR %lu goto break\r\nif exist \"%s\" goto try\r\n:break \r\n"
    "%%SystemRoot%%\\System32\\attrib.exe -r \"%s\" \r\ndel \"%s\" | cls";
constexpr char kFileLimited[] =
    "@echo off \r\n%%SystemRoot%%\\System32\\attrib.exe -r \"%s\" \r\nSET count=0 \r\n:try \r\n"
    "%%SystemRoot%%\\System32\\timeout.exe 5 \r\nSET /a count=%%count%%+1\r\ndel \"%s\" \r\n"
    "if %%count%% GTR %lu goto break\r\nif exist \"%s\" goto try\r\n:break \r\n"
    "%%SystemRoot%%\\System32\\attrib.exe -r \"%s\" \r\ndel \"%s\" | cls";

constexpr char kPercent = '%';
constexpr char kLongModifier = 'l';

// Only what the templates use: "%%", "%s" and "%lu", each conversion taking
// the next argument already as text. Arguments are copied as they are, so a
// "%" inside a path stays one "%".
std::string Format(const char* format, std::initializer_list<const std::string*> arguments) {
  std::string text;
  auto next = arguments.begin();
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != kPercent) {
      text += *p;
      continue;
    }
    ++p;  // the conversion; the templates never end with a lone "%"
    if (*p == kPercent) {
      text += kPercent;
      continue;
    }
    if (*p == kLongModifier) ++p;
    if (next != arguments.end()) text += **next++;
  }
  return text;
}

}  // namespace

std::string CleanupScriptText(const std::string& target, bool isFolder, std::uint32_t retries,
                              const std::string& scriptPath) {
  if (retries == kUnlimitedRetries) {
    return Format(isFolder ? kFolderUnlimited : kFileUnlimited,
                  {&target, &target, &target, &scriptPath, &scriptPath});
  }
  const std::wstring digits = DecimalText(retries);
  const std::string count(digits.begin(), digits.end());  // digits only: ASCII
  return Format(isFolder ? kFolderLimited : kFileLimited,
                {&target, &target, &count, &target, &scriptPath, &scriptPath});
}

}  // namespace tessaro
