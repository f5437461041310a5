#include "config/options_loader.h"
#include "platform/decimal_text.h"

#include <cstddef>
#include <string_view>
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
bool IsTrueText(const std::wstring& text) {
  const std::wstring_view word = kTrueText;
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    wchar_t c = text[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != word[i]) return false;
  }
  return true;
}

// Plain text keys: a present key sets its field, an absent one keeps it.
// Numbered keys ("%s%d") carry their index as the suffix.
template <typename Record>
struct TextKey {
  const wchar_t* key;
  std::wstring Record::*field;
};

template <typename Record, std::size_t N>
void ReadTexts(const ConfigSection& section, const TextKey<Record> (&keys)[N], Record& record,
               const std::wstring& suffix = {}) {
  for (const TextKey<Record>& key : keys) ReadText(section, key.key + suffix, record.*key.field);
}

constexpr TextKey<GeneralOptions> kGeneralTextKeys[] = {
    {L"MainAppCmdLine", &GeneralOptions::mainAppCmdLine},
    {L"Options", &GeneralOptions::options},
    {L"UpdatesUrl", &GeneralOptions::updatesUrl},
    {L"ProductVersion", &GeneralOptions::productVersion},
    {L"MinWIVer", &GeneralOptions::minWiVer},
    {L"DownloadFolder", &GeneralOptions::downloadFolder},
    {L"MainAppURL", &GeneralOptions::mainAppUrl},
    {L"UwpAppxURL", &GeneralOptions::uwpAppxUrl},
    {L"LanguageList", &GeneralOptions::languageList},
    {L"ExtractionFolder", &GeneralOptions::extractionFolder},
    {L"Langs", &GeneralOptions::langs},
    {L"PackageCode", &GeneralOptions::packageCode},
    {L"DefaultProdCode", &GeneralOptions::defaultProdCode},
    {L"ProductCode", &GeneralOptions::productCode},
    {L"UpgradeCode", &GeneralOptions::upgradeCode},
    {L"SaveExtUIStub", &GeneralOptions::saveExtUiStub},
    {L"FileExtractFirst", &GeneralOptions::fileExtractFirst},
    {L"MsiCertData", &GeneralOptions::msiCertData},
    {L"AppxVersion", &GeneralOptions::appxVersion},
    {L"AppxPkId", &GeneralOptions::appxPkId},
};

constexpr TextKey<Prerequisite> kPrerequisiteTextKeys[] = {
    {L"VerMin", &Prerequisite::verMin},
    {L"VerMax", &Prerequisite::verMax},
    {L"WinNTVersions", &Prerequisite::winNtVersions},
    {L"WinNT64Versions", &Prerequisite::winNt64Versions},
    {L"MD5", &Prerequisite::md5},
    {L"SHA256", &Prerequisite::sha256},
    {L"CommandLine", &Prerequisite::commandLine},
    {L"BasicUiCommandLine", &Prerequisite::basicUiCommandLine},
    {L"NoUiCommandLine", &Prerequisite::noUiCommandLine},
    {L"Options", &Prerequisite::options},
    {L"RetValPropName", &Prerequisite::retValPropName},
    {L"ParentPrereq", &Prerequisite::parentPrereq},
    {L"Folder", &Prerequisite::folder},
    {L"LanguageList", &Prerequisite::languageList},
};

constexpr TextKey<PrereqSearch> kSearchTextKeys[] = {
    {L"VerMin", &PrereqSearch::verMin},
    {L"VerMax", &PrereqSearch::verMax},
    {L"RefContent", &PrereqSearch::refContent},
    {L"SearchCmdLine", &PrereqSearch::searchCmdLine},
};

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

bool LoadGeneralOptions(const ConfigDocument& document, GeneralOptions& options) {
  const ConfigSection* section = document.FindSection(kGeneralSection);
  if (section == nullptr) return true;
  // "ExtractionFolder" is made a full path only where the file system is at
  // hand: the effective folder does that on Windows.
  ReadTexts(*section, kGeneralTextKeys, options);
  options.keepFiles = KeepFilesFromText(TextOrEmpty(*section, L"KeepFiles"));
  options.packJars = IsTrueText(TextOrEmpty(*section, L"PackJars"));
  options.allPlatforms = IsTrueText(TextOrEmpty(*section, L"AllPlatforms"));
  options.is64PlatformTransf = IsTrueText(TextOrEmpty(*section, L"Is64PlatformTransf"));
  options.extUiStub = !TextOrEmpty(*section, L"ExtUIStub").empty();
  return true;
}

bool LoadSearches(const ConfigSection& section, std::vector<PrereqSearch>& searches) {
  std::vector<PrereqSearch> loaded;
  for (int n = 1;; ++n) {
    const std::wstring suffix = DecimalText(n);
    const std::wstring* type = FindValue(section, L"SearchType" + suffix);
    if (type == nullptr) break;
    const std::wstring* searchString = FindValue(section, L"SearchString" + suffix);
    if (searchString == nullptr) return false;
    PrereqSearch search;
    search.type = ParseDecimalInt(*type);
    search.searchString = *searchString;
    ReadTexts(section, kSearchTextKeys, search, suffix);
    loaded.push_back(std::move(search));
  }
  for (PrereqSearch& search : loaded) searches.push_back(std::move(search));
  return true;
}

bool LoadPrerequisite(const ConfigDocument& document, int index, Prerequisite& record) {
  const ConfigSection* list = document.FindSection(kListSection);
  if (list == nullptr) return false;
  const std::wstring* name = FindValue(*list, kListKeyPrefix + DecimalText(index));
  if (name == nullptr) return false;
  const ConfigSection* section = document.FindSection(*name);
  if (section == nullptr) return false;

  // Filled aside so that a rejected entry leaves the caller's record alone.
  Prerequisite loaded = record;
  loaded.name = *name;
  if (!ReadLocation(*section, loaded)) return false;
  ReadTexts(*section, kPrerequisiteTextKeys, loaded);
  if (const std::wstring* size = FindValue(*section, L"ExactSize")) {
    loaded.exactSize = static_cast<std::uint32_t>(ParseDecimalInt(*size));
  }
  if (const std::wstring* op = FindValue(*section, L"Operator")) loaded.op = ParseDecimalInt(*op);
  if (!LoadSearches(*section, loaded.searches)) return false;
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
