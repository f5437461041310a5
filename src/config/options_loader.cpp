#include "config/options_loader.h"

#include <cstddef>
#include <utility>

namespace tessaro {
namespace {

constexpr wchar_t kGeneralSection[] = L"GeneralOptions";
constexpr wchar_t kListSection[] = L"PREREQUISITES";
constexpr wchar_t kChainerSection[] = L"PREREQ_CHAINER";
constexpr wchar_t kListKeyPrefix[] = L"App";

constexpr wchar_t kTrueText[] = L"true";
constexpr wchar_t kLanguageSeparator = L';';
constexpr wchar_t kSkipSearchesLetter = L'i';
constexpr wchar_t kMinus = L'-';
constexpr wchar_t kPlus = L'+';
constexpr wchar_t kSpace = L' ';
constexpr std::uint32_t kDecimalBase = 10;

// "%s%d": the numbered keys of the list and of the searches.
std::wstring NumberedKey(const wchar_t* prefix, int index) { return prefix + std::to_wstring(index); }

const std::wstring* FindValue(const ConfigSection& section, const std::wstring& key) {
  const ConfigEntry* entry = ConfigDocument::FindEntry(section, key);
  return entry == nullptr ? nullptr : &entry->value;
}

// A present key sets the field, even to an empty text; an absent one keeps it.
void ReadText(const ConfigSection& section, const std::wstring& key, std::wstring& field) {
  if (const std::wstring* value = FindValue(section, key)) field = *value;
}

// The converted keys are always assigned: an absent key reads as empty text.
std::wstring TextOrEmpty(const ConfigSection& section, const std::wstring& key) {
  const std::wstring* value = FindValue(section, key);
  return value == nullptr ? std::wstring() : *value;
}

// Only ASCII letters fold: the word compared with is plain ASCII.
bool EqualsIgnoringAsciiCase(const std::wstring& text, const wchar_t* word) {
  std::size_t i = 0;
  for (; word[i] != L'\0'; ++i) {
    if (i == text.size()) return false;
    wchar_t c = text[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != word[i]) return false;
  }
  return i == text.size();
}

std::int32_t KeepFilesFromText(const std::wstring& text) {
  if (text == L"minimum") return kKeepFilesMinimum;
  if (text == L"complete") return kKeepFilesComplete;
  if (text == L"prereqs") return kKeepFilesPrereqs;
  return 0;
}

struct LocationKey {
  const wchar_t* key;
  SourceKind kind;
};

// The first present key wins; the later ones are not read.
constexpr LocationKey kLocationKeys[] = {
    {L"SetupFile", SourceKind::Package},
    {L"OpenSite", SourceKind::Site},
    {L"Url", SourceKind::Download},
};

bool ReadLocation(const ConfigSection& section, Prerequisite& record) {
  for (const LocationKey& location : kLocationKeys) {
    if (const std::wstring* value = FindValue(section, location.key)) {
      record.location = *value;
      record.sourceKind = location.kind;
      return true;
    }
  }
  return false;
}

}  // namespace

std::int32_t ParseDecimalInt(const std::wstring& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == kSpace) ++i;
  bool negative = false;
  if (i < text.size() && text[i] == kMinus) {
    negative = true;
    ++i;
  }
  if (i < text.size() && text[i] == kPlus) ++i;
  // Unsigned arithmetic: digits beyond 32 bits wrap instead of overflowing.
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * kDecimalBase + static_cast<std::uint32_t>(text[i] - L'0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

bool LoadGeneralOptions(const ConfigDocument& document, GeneralOptions& options) {
  const ConfigSection* section = document.FindSection(kGeneralSection);
  if (section == nullptr) return true;
  const ConfigSection& s = *section;
  ReadText(s, L"MainAppCmdLine", options.mainAppCmdLine);
  ReadText(s, L"Options", options.options);
  ReadText(s, L"UpdatesUrl", options.updatesUrl);
  ReadText(s, L"ProductVersion", options.productVersion);
  ReadText(s, L"MinWIVer", options.minWiVer);
  ReadText(s, L"DownloadFolder", options.downloadFolder);
  ReadText(s, L"MainAppURL", options.mainAppUrl);
  ReadText(s, L"UwpAppxURL", options.uwpAppxUrl);
  ReadText(s, L"LanguageList", options.languageList);
  // Made a full path only where the file system is at hand: the effective
  // folder does that on Windows.
  ReadText(s, L"ExtractionFolder", options.extractionFolder);
  options.keepFiles = KeepFilesFromText(TextOrEmpty(s, L"KeepFiles"));
  options.packJars = EqualsIgnoringAsciiCase(TextOrEmpty(s, L"PackJars"), kTrueText);
  options.allPlatforms = EqualsIgnoringAsciiCase(TextOrEmpty(s, L"AllPlatforms"), kTrueText);
  options.is64PlatformTransf = EqualsIgnoringAsciiCase(TextOrEmpty(s, L"Is64PlatformTransf"), kTrueText);
  ReadText(s, L"Langs", options.langs);
  ReadText(s, L"PackageCode", options.packageCode);
  ReadText(s, L"DefaultProdCode", options.defaultProdCode);
  ReadText(s, L"ProductCode", options.productCode);
  ReadText(s, L"UpgradeCode", options.upgradeCode);
  options.extUiStub = !TextOrEmpty(s, L"ExtUIStub").empty();
  ReadText(s, L"SaveExtUIStub", options.saveExtUiStub);
  ReadText(s, L"FileExtractFirst", options.fileExtractFirst);
  ReadText(s, L"MsiCertData", options.msiCertData);
  ReadText(s, L"AppxVersion", options.appxVersion);
  ReadText(s, L"AppxPkId", options.appxPkId);
  return true;
}

bool LoadSearches(const ConfigSection& section, std::vector<PrereqSearch>& searches) {
  std::vector<PrereqSearch> loaded;
  for (int n = 1;; ++n) {
    const std::wstring* type = FindValue(section, NumberedKey(L"SearchType", n));
    if (type == nullptr) break;
    const std::wstring* searchString = FindValue(section, NumberedKey(L"SearchString", n));
    if (searchString == nullptr) return false;
    PrereqSearch search;
    search.type = ParseDecimalInt(*type);
    search.searchString = *searchString;
    ReadText(section, NumberedKey(L"VerMin", n), search.verMin);
    ReadText(section, NumberedKey(L"VerMax", n), search.verMax);
    ReadText(section, NumberedKey(L"RefContent", n), search.refContent);
    ReadText(section, NumberedKey(L"SearchCmdLine", n), search.searchCmdLine);
    loaded.push_back(std::move(search));
  }
  for (PrereqSearch& search : loaded) searches.push_back(std::move(search));
  return true;
}

bool LoadPrerequisite(const ConfigDocument& document, int index, Prerequisite& record) {
  const ConfigSection* list = document.FindSection(kListSection);
  if (list == nullptr) return false;
  const std::wstring* name = FindValue(*list, NumberedKey(kListKeyPrefix, index));
  if (name == nullptr) return false;
  const ConfigSection* section = document.FindSection(*name);
  if (section == nullptr) return false;
  const ConfigSection& s = *section;

  Prerequisite loaded = record;
  loaded.name = *name;
  ReadText(s, L"VerMin", loaded.verMin);
  ReadText(s, L"VerMax", loaded.verMax);
  ReadText(s, L"WinNTVersions", loaded.winNtVersions);
  ReadText(s, L"WinNT64Versions", loaded.winNt64Versions);
  if (!ReadLocation(s, loaded)) return false;
  if (const std::wstring* size = FindValue(s, L"ExactSize")) {
    loaded.exactSize = static_cast<std::uint32_t>(ParseDecimalInt(*size));
  }
  ReadText(s, L"MD5", loaded.md5);
  if (const std::wstring* op = FindValue(s, L"Operator")) loaded.op = ParseDecimalInt(*op);
  ReadText(s, L"CommandLine", loaded.commandLine);
  ReadText(s, L"BasicUiCommandLine", loaded.basicUiCommandLine);
  ReadText(s, L"NoUiCommandLine", loaded.noUiCommandLine);
  ReadText(s, L"Options", loaded.options);
  ReadText(s, L"RetValPropName", loaded.retValPropName);
  ReadText(s, L"ParentPrereq", loaded.parentPrereq);
  ReadText(s, L"Folder", loaded.folder);
  ReadText(s, L"LanguageList", loaded.languageList);
  if (!LoadSearches(s, loaded.searches)) return false;
  record = std::move(loaded);
  return true;
}

void LoadPrerequisites(const ConfigDocument& document, ChainerOptions& options, LocationExpander expand) {
  for (int n = 1;; ++n) {
    Prerequisite record;
    if (!LoadPrerequisite(document, n, record)) return;
    if (!record.languageList.empty() && record.languageList.back() != kLanguageSeparator) {
      record.languageList.push_back(kLanguageSeparator);
    }
    const bool remote = record.sourceKind == SourceKind::Download || record.sourceKind == SourceKind::Site;
    if (remote && expand != nullptr) record.location = expand(record.location);
    if (record.HasOption(kSkipSearchesLetter)) record.skipSearches = true;
    options.prerequisites.push_back(std::move(record));
  }
}

bool LoadChainerSection(const ConfigDocument& document, ChainerSection& chainer) {
  const ConfigSection* section = document.FindSection(kChainerSection);
  if (section == nullptr) return false;
  ReadText(*section, L"CleanupFiles", chainer.cleanupFiles);
  ReadText(*section, L"CleanupFolders", chainer.cleanupFolders);
  ReadText(*section, L"LogFile", chainer.logFile);
  return true;
}

}  // namespace tessaro
