#include "tools/check/prerequisite_listing.h"

#include "config/option_letters.h"
#include "platform/decimal_text.h"
#include "platform/path_text.h"
#include "prereq/os_names.h"

namespace tessaro {

const wchar_t* SearchTypeName(std::int32_t type) {
  static constexpr const wchar_t* kNames[] = {
      L"file version",         L"registry subkey names as versions", L"registry value as a version",
      L"installed product version", L"related products' versions", L"registry key exists",
      L"registry key missing",  L"registry value exists",           L"registry value missing",
      L"registry value content", L"check program's exit code",      L"installer component installed",
      L"registry value names as versions"};
  return IsKnownSearchType(type) ? kNames[type] : L"no such type: always a match";
}

std::wstring Combination(std::int32_t op) {
  if (op == kOperatorAll) return L"found when every search matches (Operator=0)";
  if (op == kOperatorAny) return L"found when any search matches (Operator=1)";
  return L"never found: Operator=" + DecimalText(op) + L" combines nothing";
}

std::vector<std::wstring> CleanupFileItems(const std::wstring& files) {
  std::vector<std::wstring> items;
  std::size_t start = 0;
  while (start < files.size()) {
    std::size_t end = files.find(L'\x0001', start);
    if (end == std::wstring::npos) end = files.size();
    if (end > start) items.push_back(files.substr(start, end - start));
    start = end + 1;
  }
  return items;
}

namespace {

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring Source(const Prerequisite& record) {
  switch (record.sourceKind) {
    case SourceKind::Download: {
      // The run launches a file URL's setup where it lies, by the rule the evaluation uses.
      const std::wstring local = FileUrlLocalPath(record.location);
      if (!local.empty()) return L"not downloaded, run from " + local + L" (Url)";
      return L"downloaded from " + record.location + L" (Url)";
    }
    case SourceKind::Site:
      return L"fetched by the user from the web site " + record.location + L" (OpenSite)";
    case SourceKind::Package:
      break;
  }
  return L"run from the package: " + record.location + L" (SetupFile)";
}

std::wstring SystemsFilter(const std::wstring& list, const wchar_t* platforms, const wchar_t* width) {
  if (list.empty()) return std::wstring(L"every ") + width + L" system";
  if (list == platforms) return std::wstring(L"no ") + width + L" system (the whole platform list)";
  return std::wstring(L"every ") + width + L" system except " + list;
}

std::wstring OptionWords(const Prerequisite& record) {
  std::wstring words;
  const auto add = [&words](const wchar_t* word) { words += (words.empty() ? L"" : L", ") + std::wstring(word); };
  if (record.HasOption(kOptionMandatory)) add(L"mandatory");
  if (record.HasOption(kOptionSkipSearches)) add(L"searches skipped");
  if (record.HasOption(kOptionUse64BitView)) add(L"64-bit registry and file views");
  if (record.HasOption(kOptionReboot)) {
    add(record.HasOption(kOptionRebootIfFound) ? L"restart after a successful setup that makes it found"
                                               : L"restart after a successful setup");
  }
  return words.empty() ? L"none" : words;
}

std::wstring UiLevel(const GeneralOptions& general) {
  if (general.options.find(kOptionBasicUi) != std::wstring::npos) return L"basic UI: BasicUiCommandLine is used";
  if (general.options.find(kOptionSilent) != std::wstring::npos) return L"silent: NoUiCommandLine is used";
  return L"none: with neither \"q\" nor \"b\" in Options a run only evaluates, and installs nothing";
}

void DescribeSearch(std::wstring& out, std::size_t n, const PrereqSearch& search) {
  out += L"     " + DecimalText(n) + L". type " + DecimalText(search.type) + L" (" + SearchTypeName(search.type) +
         L"): " + Quoted(search.searchString);
  if (!search.verMin.empty()) out += L", at least " + search.verMin;
  if (!search.verMax.empty()) out += L", at most " + search.verMax;
  if (!search.refContent.empty()) out += L", content " + Quoted(search.refContent);
  if (!search.searchCmdLine.empty()) out += L", command line " + Quoted(search.searchCmdLine);
  out += L"\n";
}

std::wstring Cleanup(const ChainerSection* chainer) {
  if (chainer == nullptr) return L"none: without [PREREQ_CHAINER] nothing is deleted, not even this file";
  std::wstring out = L"this file and its executable";
  const std::wstring& folder = chainer->cleanupFolders;
  std::wstring files;
  for (const std::wstring& item : CleanupFileItems(chainer->cleanupFiles)) {
    if (IsAbsolutePath(item) && !folder.empty() && item.starts_with(folder)) files += L", " + item;
  }
  if (!files.empty()) out += files + L" (those that exist then)";
  if (folder.empty()) return out + L"; then the folders they leave empty, up to the drive's root";
  return out + L"; then the folders they leave empty inside " + folder +
         L", and those between the executable and " + folder + L" unless they hold more";
}

}  // namespace

std::wstring ReturnCodesText(const std::vector<std::uint32_t>& codes) {
  std::wstring text;
  for (const std::uint32_t code : codes) text += (text.empty() ? L"" : L", ") + DecimalText(code);
  return text.empty() ? L"none" : text;
}

std::wstring DescribeConfiguration(const ChainerOptions& options, const ChainerSection* chainer) {
  std::wstring out = L"UI level: " + UiLevel(options.general) + L"\n";
  out += L"Deleted at the end: " + Cleanup(chainer) + L"\n";
  out += DecimalText(options.prerequisites.size()) + L" prerequisite(s), in the order Tessaro handles them:\n";
  std::size_t index = 0;
  for (const Prerequisite& record : options.prerequisites) {
    out += DecimalText(++index) + L". " + record.name + L"\n";
    out += L"   source:     " + Source(record) + L"\n";
    if (record.exactSize != 0) out += L"   size:       " + DecimalText(record.exactSize) + L" bytes\n";
    if (!record.md5.empty()) out += L"   MD5:        " + record.md5 + L"\n";
    if (!record.sha256.empty()) out += L"   SHA256:     " + record.sha256 + L"\n";
    if (!record.signer.empty()) out += L"   Signer:     " + record.signer + L"\n";
    if (record.skipSearches) {
      out += L"   searches:   skipped (letter i), so it is never found and always installed\n";
    } else if (record.searches.empty()) {
      out += L"   searches:   none, so it counts as found and is never installed\n";
    } else {
      out += L"   searches:   " + Combination(record.op) + L"\n";
      for (std::size_t n = 0; n < record.searches.size(); ++n) DescribeSearch(out, n + 1, record.searches[n]);
    }
    out += L"   needed on:  " + SystemsFilter(record.winNtVersions, kPlatformList32, L"32-bit") + L"; " +
           SystemsFilter(record.winNt64Versions, kPlatformList64, L"64-bit") + L"\n";
    out += L"   languages:  " + (record.languageList.empty() ? L"any" : record.languageList) + L"\n";
    out += L"   command lines: full UI " + Quoted(record.commandLine) + L", basic UI " +
           Quoted(record.basicUiCommandLine) + L", silent " + Quoted(record.noUiCommandLine) + L"\n";
    if (!record.successCodes.empty()) out += L"   success codes: " + ReturnCodesText(record.successCodes) + L"\n";
    if (!record.rebootCodes.empty()) {
      out += L"   restart codes: " + ReturnCodesText(record.rebootCodes) + L" (installed; the run ends with -1)\n";
    }
    out += L"   options:    " + Quoted(record.options) + L": " + OptionWords(record) + L"\n";
    if (!record.parentPrereq.empty()) out += L"   parent:     " + record.parentPrereq + L"\n";
  }
  return out;
}

}  // namespace tessaro
