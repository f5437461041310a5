#include "tools/check/decision_explainer.h"

#include <windows.h>

#include "package/download_path.h"
#include "package/package_files.h"
#include "platform/decimal_text.h"
#include "platform/paths.h"
#include "platform/wow64.h"
#include "prereq/evaluator.h"
#include "prereq/msi_functions.h"
#include "prereq/os_names.h"
#include "tools/check/prerequisite_listing.h"

namespace tessaro {
namespace {

constexpr const wchar_t* kStateNames[] = {
    L"Found",          L"InstallFromPackage", L"MustDownload", L"OpenSiteManually",
    L"OsNotSupported", L"AlreadyDownloaded",  L"NotFound",     L"NotSelected",
    L"Undefined"};
constexpr wchar_t kIndent[] = L"               ";

const wchar_t* StateName(PrereqState state) {
  const auto index = static_cast<std::size_t>(state);
  return index < std::size(kStateNames) ? kStateNames[index] : kStateNames[std::size(kStateNames) - 1];
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring Line(const std::wstring& label, const std::wstring& text) {
  std::wstring line = L"   " + label;
  line.resize(std::size(kIndent) - 1, L' ');
  return line + text + L"\n";
}

bool IsVersionSearch(std::int32_t type) {
  return type == kFileVersion || type == kSubkeyNames || type == kValueData || type == kProductVersion ||
         type == kRelatedProducts || type == kValueNames;
}

// What a search found, where no observer call told it already.
std::wstring Evidence(const PrereqSearch& search, const SearchResult& result) {
  const bool found = result.found;
  switch (search.type) {
    case kKeyExists:
    case kKeyMissing:
      return found == (search.type == kKeyExists) ? L"the key exists" : L"the key does not exist";
    case kValueExists:
    case kValueMissing:
      return found == (search.type == kValueExists) ? L"the value exists" : L"the value does not exist";
    case kValueContent:
      return found ? L"value " + Quoted(result.value) : L"nothing found";
    case kPackageProgram:
    case kComponentInstalled:
      return {};
    case kFileVersion:
      return result.foundTexts.empty() ? L"nothing found" : L"";
    default:
      break;
  }
  if (!IsKnownSearchType(search.type)) return L"looks at nothing";
  if (result.foundTexts.empty()) return L"nothing found";
  std::wstring list;
  for (const std::wstring& text : result.foundTexts) list += (list.empty() ? L"" : L", ") + Quoted(text);
  return L"found " + list;
}

std::wstring Test(const PrereqSearch& search) {
  if (search.type == kValueContent) return L"content test " + Quoted(search.refContent) + L": ";
  if (!IsVersionSearch(search.type)) return {};
  std::wstring bounds;
  if (!search.verMin.empty()) bounds = L"at least " + search.verMin;
  if (!search.verMax.empty()) bounds += (bounds.empty() ? L"" : L", ") + (L"at most " + search.verMax);
  return (bounds.empty() ? L"no bounds" : L"bounds " + bounds) + L": ";
}

}  // namespace

void DecisionExplainer::Filtered(const Prerequisite& record, bool osPasses, bool languagePasses) {
  current_ = static_cast<std::size_t>(&record - records_->data());
  searchNumber_ = 0;
  const bool is64 = IsWindows64Bit();
  const std::wstring& list = is64 ? record.winNt64Versions : record.winNtVersions;
  std::wstring& out = told_[current_];
  out += Line(L"systems:", std::wstring(osPasses ? L"pass" : L"this system is excluded") + L" (" +
                               (is64 ? L"WinNT64Versions " : L"WinNTVersions ") + Quoted(list) + L")");
  if (!osPasses) {
    out += Line(L"languages:", L"not tested");
  } else if (record.languageList.empty()) {
    out += Line(L"languages:", L"pass (no LanguageList)");
  } else {
    out +=
        Line(L"languages:", std::wstring(languagePasses ? L"pass" : L"the system's language is not listed") +
                                L" (LanguageList " + Quoted(record.languageList) + L")");
  }
}

void DecisionExplainer::FileLooked(const std::wstring& path) {
  evidence_ += kIndent + (L"looked for " + path) + L"\n";
}

void DecisionExplainer::FileSeen(const std::wstring& path, const std::wstring& version) {
  evidence_ += kIndent + path + L": version " + version + L"\n";
}

void DecisionExplainer::ComponentSeen(const std::wstring&, int installState) {
  const wchar_t* meaning = installState == kInstallStateLocal    ? L"installed locally"
                           : installState == kInstallStateSource ? L"installed to run from its source"
                                                                 : L"not installed";
  evidence_ += kIndent + (L"installer state " + DecimalText(installState)) + L" (" + meaning + L")\n";
}

void DecisionExplainer::ProgramRan(const std::wstring& program, const std::wstring& parameters, bool launched,
                                   unsigned long exitCode) {
  evidence_ += kIndent + (L"ran " + Quoted(program) + L" " + parameters) + L": " +
               (launched ? L"exit code " + DecimalText(exitCode) : std::wstring(L"could not be started")) +
               L"\n";
}

void DecisionExplainer::SearchJudged(const PrereqSearch& search, const SearchResult& result, bool verdict) {
  std::wstring& out = told_[current_];
  out += Line(L"search " + DecimalText(++searchNumber_) + L":", std::wstring(SearchTypeName(search.type)) +
                                                                    L" (type " + DecimalText(search.type) +
                                                                    L") " + Quoted(search.searchString));
  const std::wstring evidence = Evidence(search, result);
  if (!evidence.empty()) evidence_ += kIndent + evidence + L"\n";
  out += evidence_ + kIndent + Test(search) + (verdict ? L"match" : L"no match") + L"\n";
  evidence_.clear();
}

std::wstring DecisionExplainer::Links(const Prerequisite& record) const {
  std::wstring out;
  if (!record.parentPrereq.empty()) {
    std::wstring parent = L"names no prerequisite, so this one is handled on its own";
    for (const Prerequisite& other : *records_) {
      if (other.name != record.parentPrereq) continue;
      parent = std::wstring(StateName(other.state)) + (other.selected ? L", selected" : L", not selected");
      break;
    }
    out += Line(L"parent:", record.parentPrereq + L" (" + parent + L")");
  }
  std::wstring children;
  for (const Prerequisite& other : *records_) {
    if (other.parentPrereq == record.name) children += (children.empty() ? L"" : L", ") + other.name;
  }
  if (!children.empty()) out += Line(L"children:", children);
  return out;
}

std::wstring DecisionExplainer::Explain(ChainerOptions& options, const std::wstring& configPath) {
  records_ = &options.prerequisites;
  told_.assign(options.prerequisites.size(), std::wstring());
  // As a run sets itself up: the configuration lies beside the program, which
  // is "[SETUPEXEDIR]", and packaged files lie there too unless an extraction
  // folder is named; relative folders count from there.
  const std::wstring path = MakeFullPath(configPath);
  StandInForExecutable(path);
  PackageFiles files;
  files.SetExecutablePath(path);
  if (!options.general.extractionFolder.empty()) files.SetExtractionFolder(options.GetExtractionFolder());
  (void)SetCurrentDirectoryW(ParentFolder(path).c_str());
  PrereqEvaluator evaluator(options, &files);
  evaluator.SetObserver(this);
  evaluator.EvaluateAll();

  std::wstring out = L"The decision on this machine (" + GetDetailedOsName() + L", also called " +
                     GetGenericOsName() + L"; system language " + LocaleName(GetSystemDefaultLangID()) +
                     L"):\n";
  for (std::size_t i = 0; i < options.prerequisites.size(); ++i) {
    const Prerequisite& record = options.prerequisites[i];
    out += DecimalText(i + 1) + L". " + record.name + L"\n" + told_[i];
    if (record.state == PrereqState::OsNotSupported) {
      out += Line(L"searches:", L"not run");
    } else if (record.skipSearches) {
      out += Line(L"searches:", L"skipped (letter i), so it counts as missing");
    } else {
      out += Line(L"combined:", Combination(record.op) + L"; " + DecimalText(record.searchResults.size()) +
                                    L" of " + DecimalText(record.searches.size()) + L" searches ran: " +
                                    (record.state == PrereqState::Found ? L"found" : L"not found"));
    }
    out += Links(record);
    out += Line(L"state:", std::wstring(StateName(record.state)) + L": " + PrereqStateText(record.state));
    const PrereqState shown = evaluator.DisplayState(i);
    out +=
        Line(L"processed:", shown == PrereqState::NotSelected ? std::wstring(L"no")
                                                              : std::wstring(L"yes, as ") + StateName(shown));
    if (shown != PrereqState::MustDownload && shown != PrereqState::AlreadyDownloaded) continue;
    const std::wstring local = FileUrlLocalPath(record.location);
    out += local.empty() ? Line(L"download:",
                                MakeDownloadPath(options.GetDownloadFolder(), record.location, record.folder))
                         : Line(L"runs from:", local + L" (a file URL needs no download)");
  }
  return out;
}

}  // namespace tessaro
