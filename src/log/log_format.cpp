#include "log/log_format.h"
#include "platform/decimal_text.h"

namespace tessaro {
namespace {

// Like "%0*d" for the non-negative values of a clock; wider values are kept whole.
void AppendPadded(std::wstring& out, int value, std::size_t width) {
  std::wstring digits = DecimalText(value);
  if (value >= 0 && digits.size() < width) out.append(width - digits.size(), L'0');
  out += digits;
}

std::size_t FileNameStart(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? 0 : separator + 1;
}

}  // namespace

std::wstring FormatLogTimeStamp(const LogTime& time) {
  std::wstring out;
  out.reserve(19);
  AppendPadded(out, time.year, 4);
  out += L'-';
  AppendPadded(out, time.month, 2);
  out += L'-';
  AppendPadded(out, time.day, 2);
  out += L' ';
  AppendPadded(out, time.hour, 2);
  out += L'-';
  AppendPadded(out, time.minute, 2);
  out += L'-';
  AppendPadded(out, time.second, 2);
  return out;
}

std::wstring ReplaceExtensionWithLog(const std::wstring& path) {
  // Only a dot in the file name counts: "C:\my.setup\setup" has no extension.
  const std::size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || dot < FileNameStart(path)) return path + L".LOG";
  return path.substr(0, dot + 1) + L"LOG";
}

std::wstring DefaultLogFileName(const std::wstring& executablePath) {
  return ReplaceExtensionWithLog(executablePath.substr(FileNameStart(executablePath)));
}

std::wstring FormatOsVersionLine(const OsDescription& os) {
  std::wstring line = L"OS Version: ";
  line += DecimalText(os.major) + L'.' + DecimalText(os.minor) + L'.' + DecimalText(os.build);
  line += L" SP" + DecimalText(os.servicePack);
  line += os.isServer ? L" (server)" : L" (workstation)";
  line += os.is64Bit ? L" [x64]" : L" [x86]";
  line += kLogLineBreak;
  return line;
}

std::string DecodeCpuBrand(std::uint32_t highestExtendedLeaf, const CpuBrandRegisters& registers) {
  if (highestExtendedLeaf < kCpuBrandLastLeaf) return kUnknownCpuName;
  // Each register holds four characters, lowest byte first.
  std::string brand;
  for (const std::uint32_t value : registers) {
    for (int shift = 0; shift < 32; shift += 8) {
      const char c = static_cast<char>((value >> shift) & 0xFF);
      if (c == '\0') return brand;
      brand += c;
    }
  }
  return brand;
}

}  // namespace tessaro
