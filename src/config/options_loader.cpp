#include "config/options_loader.h"
#include "config/load_observer.h"
#include "config/option_letters.h"
#include "config/return_codes.h"
#include "platform/decimal_text.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

namespace tessaro {
namespace {

constexpr wchar_t kGeneralSection[] = L"GeneralOptions";
constexpr wchar_t kListSection[] = L"PREREQUISITES";
constexpr wchar_t kChainerSection[] = L"PREREQ_CHAINER";
constexpr wchar_t kListKeyPrefix[] = L"App";

constexpr wchar_t kLanguageSeparator = L';';

// One section as the loaders see it: every lookup that finds an entry is
// reported to the observer, so the checker knows what was never read.
class SectionReader {
 public:
  SectionReader(const ConfigSection& section, LoadObserver* observer) : section_(section), observer_(observer) {}

  [[nodiscard]] const ConfigEntry* Find(const std::wstring& key) const {
    const ConfigEntry* entry = ConfigDocument::FindEntry(section_, key);
    if (observer_ != nullptr) {
      observer_->KeyAsked(section_, key);
      if (entry != nullptr) observer_->EntryRead(*entry);
    }
    return entry;
  }
  [[nodiscard]] const std::wstring* Value(const std::wstring& key) const {
    const ConfigEntry* entry = Find(key);
    return entry == nullptr ? nullptr : &entry->value;
  }
  // A present key sets the field, even to an empty text; an absent one keeps it.
  void ReadText(const std::wstring& key, std::wstring& field) const {
    if (const std::wstring* value = Value(key)) field = *value;
  }
  // A present key's value as a decimal number; |fallback| when absent.
  [[nodiscard]] std::int32_t Decimal(const std::wstring& key, std::int32_t fallback) const {
    const ConfigEntry* entry = Find(key);
    if (entry == nullptr) return fallback;
    if (observer_ != nullptr && !IsPlainDecimal(entry->value)) {
      observer_->Noted(LoadEvent::NotADecimalNumber, entry->line, entry->key);
    }
    return ParseDecimalInt(entry->value);
  }
  // A present key's value as a list of return codes; absent leaves |codes|.
  void Codes(const std::wstring& key, std::vector<std::uint32_t>& codes) const {
    const ConfigEntry* entry = Find(key);
    if (entry != nullptr && !ReadReturnCodes(entry->value, codes)) Note(LoadEvent::NotAReturnCode, entry->line, key);
  }
  void Note(LoadEvent event, int line, const std::wstring& subject) const {
    if (observer_ != nullptr) observer_->Noted(event, line, subject);
  }

 private:
  const ConfigSection& section_;
  LoadObserver* observer_;
};

// Plain text keys: a present key sets its field, an absent one keeps it.
// Numbered keys ("%s%d") carry their index as the suffix.
template <typename Record>
struct TextKey {
  const wchar_t* key;
  std::wstring Record::*field;
};

template <typename Record, std::size_t N>
void ReadTexts(const SectionReader& section, const TextKey<Record> (&keys)[N], Record& record,
               const std::wstring& suffix = {}) {
  for (const TextKey<Record>& key : keys) section.ReadText(key.key + suffix, record.*key.field);
}

constexpr TextKey<GeneralOptions> kGeneralTextKeys[] = {
    {L"Options", &GeneralOptions::options},
    {L"DownloadFolder", &GeneralOptions::downloadFolder},
    {L"ExtractionFolder", &GeneralOptions::extractionFolder},
    {L"DefaultProdCode", &GeneralOptions::defaultProdCode},
    {L"Proxy", &GeneralOptions::proxy},
    {L"ProxyBypass", &GeneralOptions::proxyBypass},
    {L"ProductName", &GeneralOptions::productName},
};

// General keys that packages carry and that no step of a run acts on. They
// are looked up only so that the checker can tell an author that a value
// set here changes nothing.
constexpr const wchar_t* kNeverActedOnKeys[] = {
    L"MainAppCmdLine", L"UpdatesUrl",       L"ProductVersion", L"MinWIVer",     L"MainAppURL",
    L"UwpAppxURL",     L"LanguageList",     L"PackJars",       L"AllPlatforms", L"Is64PlatformTransf",
    L"Langs",          L"PackageCode",      L"ProductCode",    L"UpgradeCode",  L"ExtUIStub",
    L"SaveExtUIStub",  L"FileExtractFirst", L"MsiCertData",    L"AppxVersion",  L"AppxPkId",
};

constexpr TextKey<Prerequisite> kPrerequisiteTextKeys[] = {
    {L"VerMin", &Prerequisite::verMin},
    {L"VerMax", &Prerequisite::verMax},
    {L"WinNTVersions", &Prerequisite::winNtVersions},
    {L"WinNT64Versions", &Prerequisite::winNt64Versions},
    {L"MD5", &Prerequisite::md5},
    {L"SHA256", &Prerequisite::sha256},
    {L"Signer", &Prerequisite::signer},
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

// |word| in lower case; the switches are read without regard to case.
bool IsWord(const std::wstring& text, std::wstring_view word) {
  return text.size() == word.size() &&
         std::equal(word.begin(), word.end(), text.begin(),
                    [](wchar_t w, wchar_t c) { return w == (c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c); });
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

bool ReadLocation(const SectionReader& section, Prerequisite& record) {
  for (const LocationKey& location : kLocationKeys) {
    if (const std::wstring* value = section.Value(location.key)) {
      record.location = *value;
      record.sourceKind = location.kind;
      return true;
    }
  }
  return false;
}

}  // namespace

bool LoadGeneralOptions(const ConfigDocument& document, GeneralOptions& options, LoadObserver* observer) {
  const ConfigSection* found = document.FindSection(kGeneralSection);
  if (found == nullptr) return true;
  const SectionReader section(*found, observer);
  // "ExtractionFolder" is made a full path only where the file system is at
  // hand: the effective folder does that on Windows.
  ReadTexts(section, kGeneralTextKeys, options);
  const ConfigEntry* keepFiles = section.Find(L"KeepFiles");
  options.keepFiles = keepFiles == nullptr ? 0 : KeepFilesFromText(keepFiles->value);
  if (keepFiles != nullptr && options.keepFiles == 0 && !keepFiles->value.empty()) {
    section.Note(LoadEvent::UnknownWord, keepFiles->line, keepFiles->key);
  }
  if (const ConfigEntry* resume = section.Find(L"ResumeAfterReboot")) {
    options.resumeAfterReboot = IsWord(resume->value, L"true");
    if (!options.resumeAfterReboot && !resume->value.empty() && !IsWord(resume->value, L"false")) {
      section.Note(LoadEvent::NotTrueOrFalse, resume->line, resume->key);
    }
  }
  if (observer == nullptr) return true;
  for (const wchar_t* key : kNeverActedOnKeys) {
    const ConfigEntry* entry = section.Find(key);
    if (entry != nullptr && !entry->value.empty()) section.Note(LoadEvent::NeverActedOn, entry->line, entry->key);
  }
  return true;
}

bool LoadSearches(const ConfigSection& found, std::vector<PrereqSearch>& searches, LoadObserver* observer) {
  const SectionReader section(found, observer);
  std::vector<PrereqSearch> loaded;
  for (int n = 1;; ++n) {
    const std::wstring suffix = DecimalText(n);
    const ConfigEntry* type = section.Find(L"SearchType" + suffix);
    if (type == nullptr) {
      section.Note(LoadEvent::NumberingEnds, found.line, L"SearchType" + suffix);
      break;
    }
    const std::wstring* searchString = section.Value(L"SearchString" + suffix);
    if (searchString == nullptr) {
      section.Note(LoadEvent::SearchWithoutString, type->line, type->key);
      return false;
    }
    PrereqSearch search;
    search.type = section.Decimal(type->key, 0);
    search.searchString = *searchString;
    ReadTexts(section, kSearchTextKeys, search, suffix);
    loaded.push_back(std::move(search));
  }
  for (PrereqSearch& search : loaded) searches.push_back(std::move(search));
  return true;
}

bool LoadPrerequisite(const ConfigDocument& document, int index, Prerequisite& record, LoadObserver* observer) {
  const ConfigSection* listSection = document.FindSection(kListSection);
  if (listSection == nullptr) return false;
  const SectionReader list(*listSection, observer);
  const std::wstring listKey = kListKeyPrefix + DecimalText(index);
  const ConfigEntry* name = list.Find(listKey);
  if (name == nullptr) {
    list.Note(LoadEvent::NumberingEnds, listSection->line, listKey);
    return false;
  }
  const ConfigSection* found = document.FindSection(name->value);
  if (found == nullptr) {
    list.Note(LoadEvent::ListedSectionMissing, name->line, name->value);
    return false;
  }
  const SectionReader section(*found, observer);

  // Filled aside so that a rejected entry leaves the caller's record alone.
  Prerequisite loaded = record;
  loaded.name = name->value;
  if (!ReadLocation(section, loaded)) {
    section.Note(LoadEvent::NoLocation, found->line, found->name);
    return false;
  }
  ReadTexts(section, kPrerequisiteTextKeys, loaded);
  loaded.exactSize = static_cast<std::uint32_t>(section.Decimal(L"ExactSize", 0));
  loaded.op = section.Decimal(L"Operator", 0);
  section.Codes(L"SuccessCodes", loaded.successCodes);
  section.Codes(L"RebootCodes", loaded.rebootCodes);
  if (!LoadSearches(*found, loaded.searches, observer)) return false;
  record = std::move(loaded);
  return true;
}

void LoadPrerequisites(const ConfigDocument& document, ChainerOptions& options, LocationExpander expand,
                       LoadObserver* observer) {
  for (int n = 1;; ++n) {
    Prerequisite record;
    if (!LoadPrerequisite(document, n, record, observer)) return;
    if (!record.languageList.empty() && record.languageList.back() != kLanguageSeparator) {
      record.languageList.push_back(kLanguageSeparator);
    }
    const bool remote = record.sourceKind == SourceKind::Download || record.sourceKind == SourceKind::Site;
    if (remote && expand != nullptr) record.location = expand(record.location);
    if (record.HasOption(kOptionSkipSearches)) record.skipSearches = true;
    options.prerequisites.push_back(std::move(record));
  }
}

bool LoadChainerSection(const ConfigDocument& document, ChainerSection& chainer, LoadObserver* observer) {
  const ConfigSection* found = document.FindSection(kChainerSection);
  if (found == nullptr) return false;
  const SectionReader section(*found, observer);
  section.ReadText(L"CleanupFiles", chainer.cleanupFiles);
  section.ReadText(L"CleanupFolders", chainer.cleanupFolders);
  section.ReadText(L"LogFile", chainer.logFile);
  return true;
}

}  // namespace tessaro
