#include "tools/check/config_check.h"

#include <algorithm>

#include "config/option_letters.h"
#include "config/return_codes.h"
#include "download/digest_text.h"
#include "package/download_path.h"
#include "platform/decimal_text.h"
#include "platform/path_text.h"
#include "prereq/os_names.h"
#include "prereq/version.h"
#include "tools/check/prerequisite_listing.h"

namespace tessaro {
namespace {

constexpr wchar_t kListSection[] = L"PREREQUISITES";
constexpr wchar_t kListKeyPrefix[] = L"App";

std::wstring Quoted(const std::wstring& text) { return L"'" + text + L"'"; }
std::wstring Assignment(const ConfigEntry& entry) { return Quoted(entry.key + L"=" + entry.value); }

// Tessaro has no comments, but authors write them: a line that starts with
// ";" or "#" is ignored on purpose.
bool LooksLikeComment(const std::wstring& text) {
  const std::size_t first = text.find_first_not_of(L" \t");
  return first != std::wstring::npos && (text[first] == L';' || text[first] == L'#');
}

// "SearchString12" -> 12; -1 without a trailing number.
int TrailingNumber(const std::wstring& key) {
  std::size_t digits = key.size();
  while (digits > 0 && key[digits - 1] >= L'0' && key[digits - 1] <= L'9') --digits;
  if (digits == key.size() || key.size() - digits > 9) return -1;
  return ParseDecimalInt(key.substr(digits));
}

// Keys that differ from a key a loader asked for only in case or by a letter
// (two in a longer key) are taken for slips of that key.
constexpr std::size_t kLongKey = 6;

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

std::wstring WithoutTrailingNumber(const std::wstring& key) {
  std::size_t end = key.size();
  while (end > 0 && key[end - 1] >= L'0' && key[end - 1] <= L'9') --end;
  return key.substr(0, end);
}

// Letters to insert, delete or replace to turn |a| into |b|.
std::size_t EditDistance(const std::wstring& a, const std::wstring& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j < row.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// What authors who set these general keys expect, and what does it instead.
constexpr struct {
  const wchar_t* key;
  const wchar_t* instead;
} kNeverActedOnHints[] = {
    {L"MainAppCmdLine", L"Tessaro starts no main application after the prerequisites"},
    {L"UpdatesUrl", L"Tessaro never looks for updates"},
    {L"LanguageList", L"only a prerequisite's own LanguageList limits it to system languages"},
};

std::wstring NeverActedOnText(const std::wstring& key) {
  for (const auto& hint : kNeverActedOnHints) {
    if (key == hint.key) return hint.instead;
  }
  return L"the value changes nothing";
}

constexpr wchar_t kLostPrerequisites[] = L": the list of prerequisites ends here, and every later one is not loaded";

}  // namespace

void ConfigCheck::Run(const unsigned char* bytes, std::size_t count, const PackageFolder* folder,
                      LocationExpander expand) {
  ReportByteOrderMark(bytes, count);
  // As Tessaro does: whatever the first two bytes hold, they are the mark.
  if (count > 2) document_.Parse(DecodeUtf16Le(bytes + 2, count - 2), this);
  (void)LoadGeneralOptions(document_, options_.general, this);
  LoadPrerequisites(document_, options_, expand, this);
  hasChainer_ = LoadChainerSection(document_, chainer_, this);
  ReportNotes();
  ReportUnread();
  ReportPrerequisites();
  ReportUiLevel();
  ReportCleanup();
  if (folder != nullptr) ReportPackageFiles(*folder);
  std::stable_sort(findings_.begin(), findings_.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
}

void ConfigCheck::EntryRead(const ConfigEntry& entry) { read_.push_back(&entry); }

void ConfigCheck::KeyAsked(const ConfigSection& section, const std::wstring& key) {
  asked_.emplace_back(&section, key);
}

void ConfigCheck::Noted(LoadEvent event, int line, const std::wstring& subject) {
  notes_.push_back(Note{event, line, subject});
}

void ConfigCheck::Add(int line, std::wstring text) { findings_.push_back(Finding{line, std::move(text)}); }

bool ConfigCheck::WasRead(const ConfigEntry& entry) const {
  return std::find(read_.begin(), read_.end(), &entry) != read_.end();
}

// Keys of one numbered family ("VerMin3" beside "VerMin1") are no slips: the
// numbering explains them. A numbered key is meant with its own number.
std::wstring ConfigCheck::NearMiss(const ConfigSection& section, const std::wstring& key) const {
  const std::wstring stem = WithoutTrailingNumber(key);
  const std::wstring number = key.substr(stem.size());
  std::wstring best;
  // Twice the distance, and one more for an unnumbered key: of two as close,
  // a numbered key is meant by a numbered one.
  std::size_t bestScore = 2 * (key.size() < kLongKey ? 2 : 3);
  for (const auto& [where, asked] : asked_) {
    const std::wstring askedStem = WithoutTrailingNumber(asked);
    if (where != &section || askedStem == stem) continue;
    const bool numbered = !number.empty() && askedStem.size() < asked.size();
    const std::size_t score = numbered ? 2 * EditDistance(Lower(stem), Lower(askedStem))
                                       : 2 * EditDistance(Lower(key), Lower(asked)) + 1;
    if (score < bestScore) {
      best = numbered ? askedStem + number : asked;
      bestScore = score;
    }
  }
  return best;
}

const ConfigSection* ConfigCheck::SectionOfLine(int line) const {
  for (const ConfigSection& section : document_.Sections()) {
    for (const ConfigEntry& entry : section.entries) {
      if (entry.line == line) return &section;
    }
  }
  return nullptr;
}

const ConfigEntry* ConfigCheck::EntryAt(int line) const {
  const ConfigSection* section = SectionOfLine(line);
  if (section == nullptr) return nullptr;
  for (const ConfigEntry& entry : section->entries) {
    if (entry.line == line) return &entry;
  }
  return nullptr;
}

void ConfigCheck::ReportByteOrderMark(const unsigned char* bytes, std::size_t count) {
  if (count < 2) {
    Add(0, L"the file is empty: Tessaro finds no configuration in it");
    return;
  }
  if (bytes[0] == 0xFF && bytes[1] == 0xFE) return;
  markMissing_ = true;
  // Plain ASCII in UTF-16LE has a zero in every second byte.
  if (bytes[1] != 0 || (count > 3 && bytes[3] != 0)) {
    Add(1, L"the file is not UTF-16LE text: Tessaro reads every configuration as UTF-16LE after a byte-order "
           L"mark; save it as \"UTF-16 LE\" with a byte-order mark");
    return;
  }
  Add(1, std::wstring(L"the file has no byte-order mark: Tessaro skips its first two bytes all the same, so the "
                      L"first character, ") +
             Quoted(std::wstring(1, static_cast<wchar_t>(bytes[0]))) + L", is lost; save it with a byte-order mark");
}

// Ignored lines come as runs: one finding names the first line of a run and
// counts the rest. A lone line break or a lost first character already
// explains the lines it spoils, and comment-looking lines are meant.
void ConfigCheck::ReportIgnoredLines() {
  std::vector<int> brokenLines;
  for (const Note& note : notes_) {
    if (note.event == LoadEvent::LoneLineBreak) brokenLines.push_back(note.line);
  }
  const Note* run = nullptr;
  int runMore = 0;
  const auto closeRun = [&] {
    if (run == nullptr) return;
    std::wstring text = run->event == LoadEvent::IgnoredOutsideSection
                            ? L"text before the first [section] is ignored: " + Quoted(run->subject)
                            : L"a line without \"=\" is ignored: " + Quoted(run->subject);
    if (runMore > 0) text += L" (and " + DecimalText(runMore) + L" more such lines below)";
    Add(run->line, std::move(text));
    run = nullptr;
    runMore = 0;
  };
  for (const Note& note : notes_) {
    if (note.event != LoadEvent::IgnoredOutsideSection && note.event != LoadEvent::IgnoredWithoutSeparator) continue;
    if (LooksLikeComment(note.subject) ||
        std::find(brokenLines.begin(), brokenLines.end(), note.line) != brokenLines.end() ||
        (markMissing_ && note.event == LoadEvent::IgnoredOutsideSection)) {
      continue;
    }
    if (run != nullptr && run->event == note.event) {
      ++runMore;
      continue;
    }
    closeRun();
    run = &note;
  }
  closeRun();
}

void ConfigCheck::ReportNotes() {
  ReportIgnoredLines();
  for (const Note& note : notes_) {
    const ConfigEntry* entry = note.line > 0 ? EntryAt(note.line) : nullptr;
    switch (note.event) {
      case LoadEvent::IgnoredOutsideSection:
      case LoadEvent::IgnoredWithoutSeparator:
      case LoadEvent::NumberingEnds:
        break;
      case LoadEvent::LoneLineBreak:
        Add(note.line, L"a line feed or carriage return stands alone here: Tessaro ends lines only at CR LF, so "
                       L"everything up to the next CR LF is one line; save the file with Windows line ends");
        break;
      case LoadEvent::NotADecimalNumber:
        if (entry != nullptr) {
          Add(note.line, Assignment(*entry) + L" is not a whole decimal number: Tessaro reads it as " +
                             DecimalText(ParseDecimalInt(entry->value)));
        }
        break;
      case LoadEvent::UnknownWord:
        if (entry != nullptr) {
          Add(note.line, Assignment(*entry) + L" is no value this key knows (the words are case-sensitive): "
                                              L"Tessaro reads it as absent");
        }
        break;
      case LoadEvent::NotTrueOrFalse:
        if (entry != nullptr) {
          Add(note.line, Assignment(*entry) + L" is neither true nor false: Tessaro reads it as false");
        }
        break;
      case LoadEvent::NeverActedOn:
        if (entry != nullptr) {
          Add(note.line, Assignment(*entry) + L" is read, but no step of a run uses it: " +
                             NeverActedOnText(entry->key));
        }
        break;
      case LoadEvent::NotAReturnCode:
        if (entry != nullptr) {
          std::vector<std::uint32_t> codes;
          (void)ReadReturnCodes(entry->value, codes);
          Add(note.line, Assignment(*entry) + L" holds an item that is no return code (decimal, or hexadecimal "
                                              L"after \"0x\", separated by \",\"): Tessaro skips it and reads " +
                             ReturnCodesText(codes));
        }
        break;
      case LoadEvent::ListedSectionMissing:
        listCut_ = true;
        Add(note.line, (entry != nullptr ? Assignment(*entry) : Quoted(note.subject)) + L" names no section [" +
                           note.subject + L"]" + kLostPrerequisites);
        break;
      case LoadEvent::NoLocation:
        listCut_ = true;
        rejected_ = note.subject;
        Add(note.line, L"[" + note.subject + L"] has no SetupFile, OpenSite or Url" + kLostPrerequisites);
        break;
      case LoadEvent::SearchWithoutString:
        listCut_ = true;
        if (const ConfigSection* section = SectionOfLine(note.line)) rejected_ = section->name;
        Add(note.line, Quoted(note.subject) + L" has no SearchString" + DecimalText(TrailingNumber(note.subject)) +
                           L": its prerequisite is not loaded" + kLostPrerequisites);
        break;
    }
  }
}

bool ConfigCheck::IsCutOff(const ConfigSection& section) const {
  if (!rejected_.empty() && section.name == rejected_) return true;
  const ConfigSection* list = document_.FindSection(kListSection);
  if (list == nullptr) return false;
  for (const ConfigEntry& entry : list->entries) {
    if (entry.value == section.name && entry.key.starts_with(kListKeyPrefix) && !WasRead(entry)) return true;
  }
  return false;
}

void ConfigCheck::ReportUnread() {
  const auto& sections = document_.Sections();
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const ConfigSection& section = sections[i];
    if (section.entries.empty() || IsCutOff(section)) continue;
    const ConfigSection* first = document_.FindSection(section.name);
    if (first != &section) {
      Add(section.line, L"[" + section.name + L"] repeats the section of line " + DecimalText(first->line) +
                            L": Tessaro reads only the first, and nothing of this one");
      continue;
    }
    const bool anyRead = std::any_of(section.entries.begin(), section.entries.end(),
                                     [this](const ConfigEntry& entry) { return WasRead(entry); });
    if (!anyRead) {
      Add(section.line, L"[" + section.name + L"] is never read: is its name misspelt, or does no App" +
                            L"N in [PREREQUISITES] name it?");
      continue;
    }
    ReportSectionUnread(section);
  }
}

void ConfigCheck::ReportSectionUnread(const ConfigSection& section) {
  // Where this section's numbered lists stop, if they do.
  std::vector<std::pair<std::wstring, int>> ends;
  for (const Note& note : notes_) {
    if (note.event != LoadEvent::NumberingEnds || note.line != section.line) continue;
    ends.emplace_back(note.subject, TrailingNumber(note.subject));
  }
  const bool isList = section.name == kListSection;
  std::wstring beyondEnd;
  int beyondLine = 0;
  const std::wstring* endKey = nullptr;
  for (const ConfigEntry& entry : section.entries) {
    if (WasRead(entry) || LooksLikeComment(entry.key)) continue;
    if (isList && listCut_ && entry.key.starts_with(kListKeyPrefix)) continue;
    const ConfigEntry* earlier = ConfigDocument::FindEntry(section, entry.key);
    if (earlier != &entry) {
      Add(entry.line, Quoted(entry.key) + L" repeats line " + DecimalText(earlier->line) +
                          L": Tessaro reads only the first");
      continue;
    }
    if (const std::wstring meant = NearMiss(section, entry.key); !meant.empty()) {
      Add(entry.line, Quoted(entry.key) + L" is never read: did you mean " + Quoted(meant) + L"?");
      continue;
    }
    const int n = TrailingNumber(entry.key);
    const auto end = std::find_if(ends.begin(), ends.end(), [n](const auto& e) { return n >= e.second; });
    if (n > 0 && end != ends.end()) {
      beyondEnd += (beyondEnd.empty() ? L"" : L", ") + Quoted(entry.key);
      if (beyondLine == 0) beyondLine = entry.line;
      endKey = &end->first;
      continue;
    }
    Add(entry.line, Quoted(entry.key) + L" is never read, so it has no effect here");
  }
  if (endKey != nullptr) {
    Add(beyondLine, beyondEnd + L" never read: the numbering stops at the missing " + Quoted(*endKey));
  }
}

void ConfigCheck::ReportLetters(const std::wstring& letters, std::wstring_view known, const ConfigEntry* entry) {
  std::wstring unknown;
  for (const wchar_t letter : letters) {
    if (known.find(letter) == std::wstring_view::npos && unknown.find(letter) == std::wstring::npos) {
      unknown += letter;
    }
  }
  if (unknown.empty() || entry == nullptr) return;
  std::wstring list;
  for (const wchar_t letter : unknown) list += (list.empty() ? L"" : L", ") + Quoted(std::wstring(1, letter));
  Add(entry->line, Assignment(*entry) + L": " + list + L" read by nothing (the letters Tessaro reads here are " +
                       std::wstring(known) + L", case-sensitive)");
}

void ConfigCheck::ReportPrerequisites() {
  if (const ConfigSection* general = document_.FindSection(L"GeneralOptions")) {
    ReportLetters(options_.general.options, kGeneralOptionLetters, ConfigDocument::FindEntry(*general, L"Options"));
    const ConfigEntry* bypass = ConfigDocument::FindEntry(*general, L"ProxyBypass");
    if (bypass != nullptr && !bypass->value.empty() && options_.general.proxy.empty()) {
      Add(bypass->line, Assignment(*bypass) + L" has no effect without a Proxy: downloads keep the system's proxy "
                                              L"settings");
    }
    // The name goes into the windows' titles, and a silent run has none.
    const ConfigEntry* name = ConfigDocument::FindEntry(*general, L"ProductName");
    if (name != nullptr && !name->value.empty() && options_.IsSilent()) {
      Add(name->line, Assignment(*name) + L": with 'q' in Options no window shows it");
    }
  }
  // Said only when nothing else explains it.
  if (options_.prerequisites.empty() && findings_.empty()) {
    Add(0, L"no prerequisite is listed: [PREREQUISITES] with App1, App2, ... names them");
  }
  ReportListedTwice();
  const std::vector<std::wstring> osNames = AllOsNames();
  for (const Prerequisite& record : options_.prerequisites) {
    const ConfigSection* section = document_.FindSection(record.name);
    if (section == nullptr) continue;
    ReportSearches(record, *section);
    ReportDigestsAndOperator(record, *section);
    ReportDownloadName(record, *section);
    ReportOsLists(record, *section, osNames);
    ReportLetters(record.options, kPrerequisiteOptionLetters, ConfigDocument::FindEntry(*section, L"Options"));
  }
}

void ConfigCheck::ReportListedTwice() {
  const ConfigSection* list = document_.FindSection(kListSection);
  if (list == nullptr) return;
  std::vector<const ConfigEntry*> listed;
  for (const ConfigEntry& entry : list->entries) {
    if (!WasRead(entry)) continue;
    const auto first = std::find_if(listed.begin(), listed.end(),
                                    [&entry](const ConfigEntry* other) { return other->value == entry.value; });
    if (first != listed.end()) {
      Add(entry.line, Assignment(entry) + L" lists [" + entry.value + L"] again (line " +
                          DecimalText((*first)->line) + L"): Tessaro loads and handles it twice");
    }
    listed.push_back(&entry);
  }
}

void ConfigCheck::ReportSearches(const Prerequisite& record, const ConfigSection& section) {
  for (const wchar_t* key : {L"VerMin", L"VerMax"}) {
    if (const ConfigEntry* entry = ConfigDocument::FindEntry(section, key); entry && !entry->value.empty()) {
      Add(entry->line, Assignment(*entry) + L" bounds no search: each search takes its own bounds (" +
                           std::wstring(key) + L"1, " + key + L"2, ...)");
    }
  }
  for (std::size_t i = 0; i < record.searches.size(); ++i) {
    const std::wstring n = DecimalText(i + 1);
    const PrereqSearch& search = record.searches[i];
    if (!IsKnownSearchType(search.type)) {
      if (const ConfigEntry* entry = ConfigDocument::FindEntry(section, L"SearchType" + n)) {
        Add(entry->line, Assignment(*entry) + L" is no search type: the search looks at nothing and always "
                                              L"counts as a match");
      }
    }
    for (const wchar_t* key : {L"VerMin", L"VerMax"}) {
      const ConfigEntry* entry = ConfigDocument::FindEntry(section, key + n);
      VersionValue version;
      if (entry != nullptr && !entry->value.empty() && !ParseVersion(entry->value, version)) {
        Add(entry->line, Assignment(*entry) + L" is not a version Tessaro can read: the bound is dropped");
      }
    }
  }
}

void ConfigCheck::ReportDigestsAndOperator(const Prerequisite& record, const ConfigSection& section) {
  const ConfigEntry* md5 = ConfigDocument::FindEntry(section, L"MD5");
  if (md5 != nullptr && !record.md5.empty() && !IsMd5Text(record.md5)) {
    Add(md5->line, Assignment(*md5) + L" does not start with 32 hexadecimal digits: no file can match it, and "
                                      L"every download is rejected");
  }
  const ConfigEntry* sha = ConfigDocument::FindEntry(section, L"SHA256");
  if (sha != nullptr && !record.sha256.empty() && !IsSha256Text(record.sha256)) {
    Add(sha->line, Assignment(*sha) + L" is not 64 hexadecimal digits: every download is rejected");
  }
  const ConfigEntry* url = ConfigDocument::FindEntry(section, L"Url");
  if (record.sourceKind == SourceKind::Download && url != nullptr && record.exactSize == 0 && record.md5.empty() &&
      record.sha256.empty() && record.signer.empty()) {
    Add(url->line, L"[" + record.name + L"] is downloaded without ExactSize, MD5, SHA256 or Signer: a file cut "
                                        L"short or replaced on the way is run as it is");
  }
  const ConfigEntry* signer = ConfigDocument::FindEntry(section, L"Signer");
  if (signer != nullptr && !record.signer.empty() &&
      (record.sourceKind != SourceKind::Download || !FileUrlLocalPath(record.location).empty())) {
    Add(signer->line, Assignment(*signer) + L" is checked only on a downloaded file: [" + record.name +
                          L"] is not downloaded, so its signature is never looked at");
  }
  const ConfigEntry* op = ConfigDocument::FindEntry(section, L"Operator");
  if (op != nullptr && record.op != kOperatorAll && record.op != kOperatorAny) {
    Add(op->line, Assignment(*op) + L" is neither 0 (all searches) nor 1 (any search): the searches never "
                                    L"find the prerequisite");
  }
}

void ConfigCheck::ReportOsLists(const Prerequisite& record, const ConfigSection& section,
                                const std::vector<std::wstring>& known) {
  const struct {
    const wchar_t* key;
    const std::wstring& list;
    const wchar_t* platforms;
  } lists[] = {{L"WinNTVersions", record.winNtVersions, kPlatformList32},
               {L"WinNT64Versions", record.winNt64Versions, kPlatformList64}};
  for (const auto& list : lists) {
    const ConfigEntry* entry = ConfigDocument::FindEntry(section, list.key);
    if (entry == nullptr || list.list.empty() || list.list == list.platforms) continue;
    std::wstring unknown;
    for (const std::wstring& item : OsListItems(list.list)) {
      if (std::find(known.begin(), known.end(), item) == known.end()) {
        unknown += (unknown.empty() ? L"" : L", ") + Quoted(item);
      }
    }
    if (!unknown.empty()) {
      Add(entry->line, std::wstring(list.key) + L": " + unknown + L" names no system Tessaro reports, so it never "
                                                                   L"matches (items are separated by \", \")");
    }
  }
}

}  // namespace tessaro

namespace tessaro {

// A file URL is run where it lies, and a name after "?" in Folder replaces
// the one the URL gives.
void ConfigCheck::ReportDownloadName(const Prerequisite& record, const ConfigSection& section) {
  const ConfigEntry* url = ConfigDocument::FindEntry(section, L"Url");
  if (record.sourceKind != SourceKind::Download || url == nullptr ||
      !FileUrlLocalPath(record.location).empty())
    return;
  const std::size_t mark = record.folder.find(L'?');
  if (mark != std::wstring::npos && mark + 1 < record.folder.size()) return;
  const std::wstring& location = record.location;
  const std::wstring name = FileNameFromUrl(location);
  // A URL whose path ends without a name gives the server's name, or nothing.
  const std::size_t scheme = location.find(L"://");
  const std::size_t path = scheme == std::wstring::npos ? 0 : location.find(L'/', scheme + 3);
  const wchar_t* const nameIt = L": name the file in Folder, after \"?\" (Folder=?setup.exe)";
  if (name.empty()) {
    Add(url->line, Assignment(*url) + L" gives no file name to download to, so the download fails" + nameIt);
  } else if (path == std::wstring::npos || location.rfind(name) < path) {
    Add(url->line, Assignment(*url) + L" names no file: Tessaro would save it as " + Quoted(name) +
                       L", taken from the server's name" + nameIt);
  } else if (name.find(L'.') == std::wstring::npos) {
    Add(url->line, Assignment(*url) + L" gives the file name " + Quoted(name) +
                       L", without an extension, so Windows cannot tell how to start it" + nameIt);
  }
}

void ConfigCheck::ReportUiLevel() {
  if (options_.IsSilent() || options_.IsBasicUi()) return;
  const ConfigSection* general = document_.FindSection(L"GeneralOptions");
  // Without the section a broken file usually explains it.
  if (general == nullptr && !findings_.empty()) return;
  const ConfigEntry* entry = general == nullptr ? nullptr : ConfigDocument::FindEntry(*general, L"Options");
  Add(entry != nullptr     ? entry->line
      : general != nullptr ? general->line
                           : 0,
      L"Options has neither \"q\" (silent) nor \"b\" (basic UI): a run only evaluates the prerequisites and "
      L"installs nothing");
}

void ConfigCheck::ReportCleanup() {
  if (!hasChainer_) return;
  const ConfigEntry* files =
      ConfigDocument::FindEntry(*document_.FindSection(L"PREREQ_CHAINER"), L"CleanupFiles");
  if (files == nullptr) return;
  for (const std::wstring& item : CleanupFileItems(chainer_.cleanupFiles)) {
    if (!IsAbsolutePath(item)) {
      Add(files->line, L"CleanupFiles: " + Quoted(item) + L" is not a full path, so the clean-up skips it");
    } else if (chainer_.cleanupFolders.empty()) {
      Add(files->line, L"CleanupFiles: " + Quoted(item) +
                           L" is skipped: the clean-up deletes only files inside "
                           L"CleanupFolders, and none is given");
    } else if (!item.starts_with(chainer_.cleanupFolders)) {
      Add(files->line, L"CleanupFiles: " + Quoted(item) + L" does not begin with CleanupFolders " +
                           Quoted(chainer_.cleanupFolders) + L", so the clean-up skips it");
    }
  }
}

void ConfigCheck::ReportPackageFiles(const PackageFolder& folder) {
  // Packaged files lie in the extraction folder instead.
  if (!options_.general.extractionFolder.empty()) return;
  std::vector<std::pair<const ConfigEntry*, std::wstring>> named;
  const auto add = [&named](const ConfigEntry* entry, const std::wstring& name) {
    const bool known =
        std::any_of(named.begin(), named.end(), [entry](const auto& n) { return n.first == entry; });
    if (entry != nullptr && !known) named.emplace_back(entry, name);
  };
  for (const Prerequisite& record : options_.prerequisites) {
    const ConfigSection* section = document_.FindSection(record.name);
    if (section == nullptr) continue;
    if (record.sourceKind == SourceKind::Package)
      add(ConfigDocument::FindEntry(*section, L"SetupFile"), record.location);
    for (std::size_t i = 0; i < record.searches.size(); ++i) {
      if (record.searches[i].type != kPackageProgram) continue;
      add(ConfigDocument::FindEntry(*section, L"SearchString" + DecimalText(i + 1)),
          record.searches[i].searchString);
    }
  }
  // Only a folder that holds the package's program or one of its files is
  // taken for the package folder; a configuration checked elsewhere says nothing.
  const bool isPackage =
      folder.HoldsProgram() ||
      std::any_of(named.begin(), named.end(), [&folder](const auto& n) { return folder.Holds(n.second); });
  if (!isPackage) return;
  for (const auto& [entry, name] : named) {
    if (!folder.Holds(name)) {
      Add(entry->line,
          Assignment(*entry) + L": there is no such file in the package folder, where Tessaro looks for it");
    }
  }
}

}  // namespace tessaro
