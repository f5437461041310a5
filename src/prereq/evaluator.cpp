#include "prereq/evaluator.h"

#include <windows.h>

#include "config/option_letters.h"
#include "config/options_loader.h"
#include "package/download_path.h"
#include "log/logger.h"
#include "platform/decimal_text.h"
#include "platform/handles.h"
#include "platform/path_text.h"
#include "platform/paths.h"
#include "platform/wow64.h"
#include "prereq/content_compare.h"
#include "prereq/evaluation_observer.h"
#include "prereq/os_names.h"
#include "prereq/version.h"

namespace tessaro {
namespace {

constexpr wchar_t kLanguageTerminator = L';';

void Log(const wchar_t* text, const std::wstring& name) {
  if (LoggingEnabled) Logger::Instance().WriteLine(text + name);
}

enum class Outcome { VersionRange, FoundFlag, Content, Always };

Outcome OutcomeOf(std::int32_t type) {
  switch (type) {
    case kFileVersion:
    case kSubkeyNames:
    case kValueData:
    case kProductVersion:
    case kRelatedProducts:
    case kValueNames:
      return Outcome::VersionRange;
    case kKeyExists:
    case kKeyMissing:
    case kValueExists:
    case kValueMissing:
    case kPackageProgram:
    case kComponentInstalled:
      return Outcome::FoundFlag;
    case kValueContent:
      return Outcome::Content;
    default:
      return Outcome::Always;
  }
}

bool ListNamesRunningSystem(const std::wstring& list) {
  const std::wstring& detailed = GetDetailedOsName();
  const std::wstring& generic = GetGenericOsName();
  for (const std::wstring& item : OsListItems(list)) {
    if (item == detailed || item == generic) return true;
  }
  return false;
}

}  // namespace

PrereqEvaluator::PrereqEvaluator(ChainerOptions& options, const PackageFiles* packageFiles)
    : options_(options), searcher_(packageFiles) {}

void PrereqEvaluator::SetObserver(EvaluationObserver* observer) {
  observer_ = observer;
  searcher_.SetObserver(observer);
}

void PrereqEvaluator::EvaluateAll() {
  auto& records = options_.prerequisites;
  NoteParentLinks();
  for (std::size_t i = 0; i < records.size(); ++i) EvaluatePrerequisite(i, false);
  for (std::size_t i = 0; i < records.size(); ++i) {
    RefreshAlreadyDownloaded(records[i]);
    SetSelected(i, IsMissingState(records[i].state));
  }
}

bool PrereqEvaluator::OsConditionPasses(const Prerequisite& record) const {
  const bool is64 = IsWindows64Bit();
  const std::wstring& list = is64 ? record.winNt64Versions : record.winNtVersions;
  if (list.empty()) return true;
  // The whole platform list is how a package says "no system of this kind".
  if (list == (is64 ? kPlatformList64 : kPlatformList32)) return false;
  return !ListNamesRunningSystem(list);
}

bool PrereqEvaluator::LanguageConditionPasses(const Prerequisite& record) const {
  const std::wstring& list = record.languageList;
  if (list.empty()) return true;
  const LANGID systemLanguage = GetSystemDefaultLangID();
  if (LoggingEnabled) Logger::Instance().WriteLine(L"SystemDefault LangID=" + LocaleName(systemLanguage));
  // Only pieces closed by ";" count; the loader closes the last one.
  std::size_t start = 0;
  for (std::size_t end = list.find(kLanguageTerminator); end != std::wstring::npos;
       end = list.find(kLanguageTerminator, start)) {
    const auto id = static_cast<std::uint16_t>(ParseDecimalInt(list.substr(start, end - start)));
    if (id == systemLanguage) return true;
    start = end + 1;
  }
  return false;
}

bool PrereqEvaluator::EvaluatePrerequisite(std::size_t index, bool reevaluate) {
  Prerequisite& record = options_.prerequisites[index];
  if (record.state == PrereqState::OsNotSupported) return true;

  const bool osPasses = OsConditionPasses(record);
  const bool languagePasses = osPasses && LanguageConditionPasses(record);
  if (observer_ != nullptr) observer_->Filtered(record, osPasses, languagePasses);
  if (!osPasses || !languagePasses) {
    Log(L"Wrong OS or Os language for:", record.name);
    record.state = PrereqState::OsNotSupported;
    return true;
  }

  const bool use64BitView = record.HasOption(kOptionUse64BitView);
  Log(L"Searching for:", record.name);
  // A record that skips its searches keeps its first verdict: nothing that a
  // setup did can change it.
  if (reevaluate && record.skipSearches) return true;

  const bool found = !record.skipSearches && EvaluateSearches(record.searches, record.searchResults, record.op,
                                                              use64BitView, options_.prerequisites);
  if (found) {
    record.state = PrereqState::Found;
  } else if (record.sourceKind == SourceKind::Download) {
    record.state = PrereqState::MustDownload;
  } else if (record.sourceKind == SourceKind::Site) {
    record.state = PrereqState::OpenSiteManually;
  } else {
    record.state = PrereqState::InstallFromPackage;
  }
  if (record.firstState == PrereqState::Undefined) record.firstState = record.state;
  if (LoggingEnabled) Logger::Instance().WriteLine(std::wstring(L"Search result:") + PrereqStateText(record.state));
  return true;
}

bool PrereqEvaluator::EvaluateSearches(const std::vector<PrereqSearch>& searches, std::vector<SearchResult>& results,
                                       std::int32_t op, bool use64BitView,
                                       const std::vector<Prerequisite>& prerequisites) {
  results.clear();
  bool acc = op == kOperatorAll;
  for (const PrereqSearch& search : searches) {
    SearchResult result;
    const Outcome rule = OutcomeOf(search.type);
    if (search.type == kPackageProgram) {
      searcher_.RunPackageProgramSearch(search, result, prerequisites);
    } else if (IsKnownSearchType(search.type)) {
      searcher_.RunSearch(search, use64BitView, result);
    }

    bool outcome = true;
    switch (rule) {
      case Outcome::VersionRange:
        outcome = InFoundRange(result.foundTexts, search.verMin, search.verMax);
        break;
      case Outcome::FoundFlag:
        outcome = result.found;
        break;
      case Outcome::Content: {
        // An empty RefContent has no operation letter, which never matches.
        const wchar_t letter = search.refContent.empty() ? L'\0' : search.refContent[0];
        const std::wstring reference = search.refContent.empty() ? std::wstring() : search.refContent.substr(1);
        outcome = result.found && CompareContent(letter, reference, result.value);
        break;
      }
      case Outcome::Always:
        break;
    }
    if (observer_ != nullptr) observer_->SearchJudged(search, result, outcome);
    result.found = outcome;
    results.push_back(std::move(result));

    if (op == kOperatorAll) {
      acc = acc && outcome;
    } else if (op == kOperatorAny) {
      acc = acc || outcome;
    }
    if (op == kOperatorAll ? !acc : acc) break;
  }
  return acc;
}

// Selecting looks for children among all records, which makes a whole
// selection pass quadratic; most configurations link no records at all.
void PrereqEvaluator::NoteParentLinks() {
  anyParentLinks_ = false;
  for (const Prerequisite& record : options_.prerequisites) anyParentLinks_ |= !record.parentPrereq.empty();
}

void PrereqEvaluator::SetSelected(std::size_t index, bool on) {
  auto& records = options_.prerequisites;
  if (records[index].selected == on) return;  // also ends parent/child cycles
  records[index].selected = on;
  Log(L"Prerequisite selected for install:", records[index].name);

  // Names never change while selecting, and the array does not grow.
  const std::wstring& name = records[index].name;
  const std::wstring& parent = records[index].parentPrereq;
  for (std::size_t j = 0; anyParentLinks_ && j < records.size(); ++j) {
    if (j == index || records[j].state == PrereqState::OsNotSupported || records[j].parentPrereq != name) continue;
    SetSelected(j, on && IsMissingState(records[j].state));
  }

  if (!on || parent.empty()) return;
  for (std::size_t j = 0; j < records.size(); ++j) {
    if (records[j].name != parent) continue;
    if (records[j].state != PrereqState::Found && records[j].state != PrereqState::OsNotSupported) {
      SetSelected(j, true);
    }
    return;
  }
  // A ParentPrereq that names no prerequisite is a configuration slip; the
  // child is processed on its own rather than dropped.
}

bool PrereqEvaluator::IsAlreadyDownloaded(const std::wstring& location, std::uint32_t exactSize,
                                          const std::wstring& folder) {
  if (!FileUrlLocalPath(location).empty()) return true;  // nothing to download
  const std::wstring path = MakeDownloadPath(options_.GetDownloadFolder(), location, folder);
  WIN32_FIND_DATAW data{};
  const UniqueFindHandle find(FindFirstFileW(ToLongForm(path).c_str(), &data));
  if (!find) return false;
  return exactSize == 0 || exactSize == data.nFileSizeLow;
}

void PrereqEvaluator::RefreshAlreadyDownloaded(Prerequisite& record) {
  if (record.state != PrereqState::MustDownload) return;
  record.alreadyDownloaded = IsAlreadyDownloaded(record.location, record.exactSize, record.folder);
}

PrereqState PrereqEvaluator::DisplayState(std::size_t index) {
  const Prerequisite& record = options_.prerequisites[index];
  if (!record.selected) return PrereqState::NotSelected;
  if (record.state == PrereqState::Found) {
    // Selected although present (a parent pulled in by its child): it is
    // processed the way its source demands.
    switch (record.sourceKind) {
      case SourceKind::Download:
        return IsAlreadyDownloaded(record.location, record.exactSize, record.folder) ? PrereqState::AlreadyDownloaded
                                                                                      : PrereqState::MustDownload;
      case SourceKind::Site:
        return PrereqState::OpenSiteManually;
      case SourceKind::Package:
        return PrereqState::InstallFromPackage;
    }
  }
  if (record.state == PrereqState::MustDownload && record.alreadyDownloaded) return PrereqState::AlreadyDownloaded;
  return record.state;
}

int PrereqEvaluator::ReevaluateAll() {
  auto& records = options_.prerequisites;
  NoteParentLinks();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const PrereqState shown = DisplayState(i);
    if (shown == PrereqState::NotSelected || shown == PrereqState::OsNotSupported) continue;
    EvaluatePrerequisite(i, true);
    RefreshAlreadyDownloaded(records[i]);
    SetSelected(i, IsMissingState(records[i].state));
  }
  return CountMissingMandatory();
}

bool PrereqEvaluator::RecheckAfterInstall(std::size_t index) {
  EvaluatePrerequisite(index, true);
  Prerequisite& record = options_.prerequisites[index];
  RefreshAlreadyDownloaded(record);
  return record.state == PrereqState::Found;
}

int PrereqEvaluator::CountMissingMandatory() const {
  int count = 0;
  for (const Prerequisite& record : options_.prerequisites) {
    if (record.HasOption(kOptionMandatory) && IsMissingState(record.state)) ++count;
  }
  return count;
}

}  // namespace tessaro
