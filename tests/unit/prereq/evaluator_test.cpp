#include "prereq/evaluator.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/config_document.h"
#include "config/options_loader.h"
#include "prereq/os_names.h"

namespace tessaro {
namespace {

const std::wstring kTestsKey = L"Software\\Tessaro Tests";

// A key of its own under HKCU\Software\Tessaro Tests, removed afterwards.
class TestKey {
 public:
  TestKey() {
    static int counter = 0;
    relative_ = kTestsKey + L"\\evaluator_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++counter);
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, relative_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  ~TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, relative_.c_str()); }

  // The search path of a sub-key (or value) below this key.
  [[nodiscard]] std::wstring Path(const std::wstring& below) const { return L"HKCU\\" + relative_ + L"\\" + below; }
  void AddKey(const std::wstring& sub) const {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (relative_ + L"\\" + sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void RemoveKey(const std::wstring& sub) const { RegDeleteTreeW(HKEY_CURRENT_USER, (relative_ + L"\\" + sub).c_str()); }
  void SetText(const std::wstring& name, const std::wstring& text) const {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, relative_.c_str(), name.c_str(), REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }

 private:
  std::wstring relative_;
};

// The effective download folder is fixed once per process, so every test of
// this program names the same one; only the test that fills it creates it.
const std::wstring& DownloadFolder() {
  static const std::wstring folder = [] {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"tessaro_evaluator_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  }();
  return folder;
}

void WriteBytes(const std::wstring& path, std::size_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const std::string bytes(size, 'x');
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

PrereqSearch Search(std::int32_t type, const std::wstring& searchString, const std::wstring& refContent = {}) {
  PrereqSearch search;
  search.type = type;
  search.searchString = searchString;
  search.refContent = refContent;
  return search;
}

Prerequisite Record(const std::wstring& name, SourceKind kind = SourceKind::Package,
                    std::vector<PrereqSearch> searches = {}) {
  Prerequisite record;
  record.name = name;
  record.sourceKind = kind;
  record.location = kind == SourceKind::Package ? L"setup.exe" : L"http://127.0.0.1/" + name + L".exe";
  record.searches = std::move(searches);
  return record;
}

class EvaluatorTest : public ::testing::Test {
 protected:
  EvaluatorTest() { options_.general.downloadFolder = DownloadFolder(); }

  Prerequisite& Add(Prerequisite record) {
    options_.prerequisites.push_back(std::move(record));
    return options_.prerequisites.back();
  }
  Prerequisite& At(std::size_t i) { return options_.prerequisites[i]; }
  // Search types 5 on a present and an absent key.
  PrereqSearch Present() const { return Search(5, key_.Path(L"present")); }
  PrereqSearch Absent() const { return Search(5, key_.Path(L"absent")); }

  TestKey key_;
  ChainerOptions options_;
  PrereqEvaluator evaluator_{options_, nullptr};

  void SetUp() override { key_.AddKey(L"present"); }
};

TEST_F(EvaluatorTest, OperatorsCombineSearchesAndStopEarly) {
  struct Case {
    std::int32_t op;
    std::vector<PrereqSearch> searches;
    bool expected;
    std::size_t resultsKept;
  };
  const Case cases[] = {
      {0, {Present(), Present()}, true, 2},
      {0, {Absent(), Present()}, false, 1},  // the first failure decides
      {0, {Present(), Absent()}, false, 2},
      {1, {Present(), Absent()}, true, 1},  // the first match decides
      {1, {Absent(), Present()}, true, 2},
      {1, {Absent(), Absent()}, false, 2},
      {2, {Present(), Present()}, false, 2},  // unknown operator: all run, never found
      {0, {}, true, 0},
      {1, {}, false, 0},
      {7, {}, false, 0},
  };
  for (const Case& c : cases) {
    std::vector<SearchResult> results(3);  // stale entries must go
    EXPECT_EQ(evaluator_.EvaluateSearches(c.searches, results, c.op, false, options_.prerequisites), c.expected)
        << "operator " << c.op << " with " << c.searches.size() << " searches";
    EXPECT_EQ(results.size(), c.resultsKept) << "operator " << c.op;
  }
}

TEST_F(EvaluatorTest, EachSearchTypeDecidesByItsOwnRule) {
  key_.SetText(L"version", L"2.5");
  key_.SetText(L"channel", L"Beta2");
  PrereqSearch ranged = Search(2, key_.Path(L"version"));
  ranged.verMin = L"2.0";
  PrereqSearch tooOld = ranged;
  tooOld.verMin = L"3.0";
  struct Case {
    PrereqSearch search;
    bool expected;
  };
  const Case cases[] = {
      {ranged, true},
      {tooOld, false},
      {Search(6, key_.Path(L"present")), false},  // the outcome replaces the raw found flag
      {Search(6, key_.Path(L"absent")), true},
      {Search(9, key_.Path(L"channel"), L"SBeta"), true},
      {Search(9, key_.Path(L"channel"), L"MBeta"), false},
      {Search(9, key_.Path(L"channel"), L""), false},  // no operation letter
      {Search(9, key_.Path(L"missing"), L"DBeta"), false},  // compared only when read
      {Search(13, key_.Path(L"absent")), true},  // unknown types match without a search
      {Search(-1, key_.Path(L"absent")), true},
  };
  for (const Case& c : cases) {
    std::vector<SearchResult> results;
    EXPECT_EQ(evaluator_.EvaluateSearches({c.search}, results, 0, false, options_.prerequisites), c.expected)
        << "type " << c.search.type << " refContent " << std::string(c.search.refContent.begin(),
                                                                       c.search.refContent.end());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].found, c.expected);
  }
}

TEST_F(EvaluatorTest, StateFollowsSourceKindAndFirstStateSticks) {
  Add(Record(L"Pkg", SourceKind::Package, {Absent()}));
  Add(Record(L"Dl", SourceKind::Download, {Absent()}));
  Add(Record(L"Site", SourceKind::Site, {Absent()}));
  Add(Record(L"Here", SourceKind::Package, {Present()}));
  evaluator_.EvaluateAll();
  EXPECT_EQ(At(0).state, PrereqState::InstallFromPackage);
  EXPECT_EQ(At(1).state, PrereqState::MustDownload);
  EXPECT_EQ(At(2).state, PrereqState::OpenSiteManually);
  EXPECT_EQ(At(3).state, PrereqState::Found);
  EXPECT_TRUE(At(0).selected && At(1).selected && At(2).selected);
  EXPECT_FALSE(At(3).selected);
  EXPECT_EQ(At(3).searchResults.size(), 1u);

  // As if a setup had removed and another added the evidence.
  key_.RemoveKey(L"present");
  key_.AddKey(L"absent");
  EXPECT_FALSE(evaluator_.RecheckAfterInstall(3));
  EXPECT_TRUE(evaluator_.RecheckAfterInstall(0));
  EXPECT_EQ(At(3).state, PrereqState::InstallFromPackage);
  EXPECT_EQ(At(3).firstState, PrereqState::Found);
  EXPECT_EQ(At(0).firstState, PrereqState::InstallFromPackage);
  EXPECT_FALSE(At(3).selected);  // a recheck does not select
  EXPECT_TRUE(At(0).selected);
}

TEST_F(EvaluatorTest, SkippedSearchesAlwaysMissingAndReevaluationKeepsState) {
  Prerequisite& skipped = Add(Record(L"Forced", SourceKind::Package, {Present()}));
  skipped.options = L"i";
  skipped.skipSearches = true;
  evaluator_.EvaluateAll();
  EXPECT_EQ(At(0).state, PrereqState::InstallFromPackage);
  EXPECT_TRUE(At(0).selected);
  EXPECT_TRUE(At(0).searchResults.empty());

  At(0).state = PrereqState::Found;  // whatever it holds stays
  EXPECT_TRUE(evaluator_.RecheckAfterInstall(0));
  EXPECT_EQ(At(0).state, PrereqState::Found);
  EXPECT_TRUE(At(0).searchResults.empty());
}

TEST_F(EvaluatorTest, MissingMandatoryCountIgnoresSelection) {
  const auto mandatory = [&](const wchar_t* name, PrereqSearch search, const wchar_t* letters) {
    Prerequisite& record = Add(Record(name, SourceKind::Package, {search}));
    record.options = letters;
  };
  mandatory(L"MissingM", Absent(), L"m");
  mandatory(L"MissingMx", Absent(), L"xmr");
  mandatory(L"FoundM", Present(), L"m");
  mandatory(L"MissingOptional", Absent(), L"r");
  mandatory(L"WrongOsM", Absent(), L"m");
  At(4).winNt64Versions = kPlatformList64;
  evaluator_.EvaluateAll();
  EXPECT_EQ(evaluator_.CountMissingMandatory(), 2);
  evaluator_.SetSelected(0, false);
  EXPECT_EQ(evaluator_.CountMissingMandatory(), 2);
  key_.AddKey(L"absent");
  EXPECT_EQ(evaluator_.ReevaluateAll(), 1);  // the deselected one was not looked at again
  EXPECT_EQ(At(1).state, PrereqState::Found);
  EXPECT_FALSE(At(1).selected);
  EXPECT_EQ(At(0).state, PrereqState::InstallFromPackage);
}

TEST_F(EvaluatorTest, MissingChildOfFoundParentIsSelectedAlone) {
  Add(Record(L"Parent", SourceKind::Package, {Present()}));
  Add(Record(L"Child", SourceKind::Package, {Absent()})).parentPrereq = L"Parent";
  Add(Record(L"Orphan", SourceKind::Package, {Absent()})).parentPrereq = L"Nobody";
  evaluator_.EvaluateAll();
  EXPECT_FALSE(At(0).selected);
  EXPECT_TRUE(At(1).selected);
  EXPECT_TRUE(At(2).selected);
  EXPECT_EQ(evaluator_.DisplayState(0), PrereqState::NotSelected);
}

TEST_F(EvaluatorTest, ParentAndChildSelectEachOther) {
  Add(Record(L"Parent", SourceKind::Package, {Absent()}));
  Add(Record(L"Child", SourceKind::Package, {Absent()})).parentPrereq = L"Parent";
  Add(Record(L"FoundChild", SourceKind::Package, {Present()})).parentPrereq = L"Parent";
  Add(Record(L"WrongOsChild", SourceKind::Package, {Absent()})).parentPrereq = L"Parent";
  At(3).winNt64Versions = kPlatformList64;
  Add(Record(L"parent", SourceKind::Package, {Absent()}));  // names compare case-sensitively
  for (std::size_t i = 0; i < options_.prerequisites.size(); ++i) evaluator_.EvaluatePrerequisite(i, false);

  evaluator_.SetSelected(1, true);  // the child pulls its parent in
  EXPECT_TRUE(At(0).selected);
  EXPECT_FALSE(At(2).selected);
  EXPECT_FALSE(At(3).selected);
  EXPECT_FALSE(At(4).selected);

  evaluator_.SetSelected(0, false);  // dropping the parent drops its children
  EXPECT_FALSE(At(1).selected);

  evaluator_.SetSelected(0, true);  // and selecting it selects the missing ones
  EXPECT_TRUE(At(1).selected);
  EXPECT_FALSE(At(2).selected);
  EXPECT_FALSE(At(3).selected);
}

TEST_F(EvaluatorTest, ParentCyclesEnd) {
  Add(Record(L"A", SourceKind::Package, {Absent()})).parentPrereq = L"B";
  Add(Record(L"B", SourceKind::Package, {Absent()})).parentPrereq = L"A";
  Add(Record(L"Self", SourceKind::Package, {Absent()})).parentPrereq = L"Self";
  evaluator_.EvaluateAll();
  EXPECT_TRUE(At(0).selected && At(1).selected && At(2).selected);
  evaluator_.SetSelected(0, false);
  EXPECT_FALSE(At(0).selected || At(1).selected);
}

TEST_F(EvaluatorTest, OsListsExcludeByPlatformTextOrRunningSystemNames) {
  const std::wstring& detailed = GetDetailedOsName();
  const std::wstring& generic = GetGenericOsName();
  ASSERT_FALSE(detailed.empty());
  struct Case {
    std::wstring list64;
    std::wstring list32;
    bool excluded;
  };
  const Case cases[] = {
      {L"", L"", false},
      {kPlatformList64, L"", true},
      {kPlatformList32, L"", false},  // the other architecture's text is just a list
      {std::wstring(kPlatformList64) + L", Windows 95", L"", false},
      {L"Windows 95, " + detailed, L"", true},
      {generic + L", Windows 95", L"", true},
      {L"Windows 95," + generic, L"", false},  // only ", " separates
      {L"windows" + generic.substr(7), L"", false},
      {L"", kPlatformList32 + std::wstring(L", ") + generic, false},  // a 64-bit build reads the x64 list only
  };
  for (const Case& c : cases) {
    ChainerOptions options;
    Prerequisite& record = options.prerequisites.emplace_back(Record(L"Os", SourceKind::Package, {Present()}));
    record.winNt64Versions = c.list64;
    record.winNtVersions = c.list32;
    PrereqEvaluator evaluator(options, nullptr);
    evaluator.EvaluateAll();
    const std::string shown(c.list64.begin(), c.list64.end());
    EXPECT_EQ(record.state == PrereqState::OsNotSupported, c.excluded) << shown;
    if (c.excluded) {
      EXPECT_TRUE(record.searchResults.empty()) << shown;
      EXPECT_FALSE(record.selected) << shown;
      EXPECT_EQ(evaluator.DisplayState(0), PrereqState::NotSelected);
      // Final: even without the list it is not looked at again.
      record.winNt64Versions.clear();
      EXPECT_FALSE(evaluator.RecheckAfterInstall(0));
      EXPECT_EQ(record.state, PrereqState::OsNotSupported);
    }
  }
}

TEST_F(EvaluatorTest, LanguageListsMatchTheSystemLanguageOnly) {
  const std::wstring system = std::to_wstring(GetSystemDefaultLangID());
  const std::wstring other = std::to_wstring(GetSystemDefaultLangID() == 1031 ? 1036 : 1031);
  struct Case {
    std::wstring list;
    bool accepted;
  };
  const Case cases[] = {
      {L"", true},
      {system, true},
      {system + L";", true},
      {other + L";" + system, true},
      {other, false},
      {other + L";", false},
      {std::to_wstring(GetSystemDefaultLangID() + 65536), true},  // compared as 16 bits
  };
  for (const Case& c : cases) {
    // Through the loader, which closes the list with ";".
    ConfigDocument document;
    document.Parse(L"[PREREQUISITES]\r\nApp1=Lang\r\n[Lang]\r\nSetupFile=setup.exe\r\nLanguageList=" + c.list +
                   L"\r\nSearchType1=5\r\nSearchString1=" + key_.Path(L"present") + L"\r\n");
    ChainerOptions options;
    LoadPrerequisites(document, options, nullptr);
    ASSERT_EQ(options.prerequisites.size(), 1u);
    PrereqEvaluator evaluator(options, nullptr);
    evaluator.EvaluateAll();
    EXPECT_EQ(options.prerequisites[0].state,
              c.accepted ? PrereqState::Found : PrereqState::OsNotSupported)
        << std::string(c.list.begin(), c.list.end());
  }

  // Only pieces closed by ";" count, so an unclosed list that bypassed the loader fails.
  Prerequisite& raw = Add(Record(L"Raw", SourceKind::Package, {Present()}));
  raw.languageList = system;
  evaluator_.EvaluateAll();
  EXPECT_EQ(At(0).state, PrereqState::OsNotSupported);
}

TEST_F(EvaluatorTest, DownloadAlreadyPresentInTheDownloadFolder) {
  const std::wstring unique = L"eval" + std::to_wstring(GetTickCount());
  const std::wstring file = DownloadFolder() + unique + L".exe";
  const std::wstring subFolder = DownloadFolder() + unique + L"_sub\\";
  CreateDirectoryW(DownloadFolder().c_str(), nullptr);
  WriteBytes(file, 123);
  CreateDirectoryW(subFolder.c_str(), nullptr);
  WriteBytes(subFolder + L"renamed.exe", 10);

  const std::wstring url = L"http://127.0.0.1/files/" + unique + L".exe";
  EXPECT_TRUE(evaluator_.IsAlreadyDownloaded(url, 0, L""));
  EXPECT_TRUE(evaluator_.IsAlreadyDownloaded(url, 123, L""));
  EXPECT_FALSE(evaluator_.IsAlreadyDownloaded(url, 124, L""));
  EXPECT_FALSE(evaluator_.IsAlreadyDownloaded(L"http://127.0.0.1/other.exe", 0, L""));
  EXPECT_TRUE(evaluator_.IsAlreadyDownloaded(url, 10, unique + L"_sub?renamed.exe"));
  EXPECT_TRUE(evaluator_.IsAlreadyDownloaded(L"FILE:///C:/x/setup.exe", 5, L""));

  Prerequisite& matching = Add(Record(L"Matching", SourceKind::Download, {Absent()}));
  matching.location = url;
  matching.exactSize = 123;
  Prerequisite& wrongSize = Add(Record(L"WrongSize", SourceKind::Download, {Absent()}));
  wrongSize.location = url;
  wrongSize.exactSize = 99;
  Prerequisite& foundButSelected = Add(Record(L"Chosen", SourceKind::Download, {Present()}));
  foundButSelected.location = url;
  Add(Record(L"FoundSite", SourceKind::Site, {Present()}));
  Add(Record(L"FoundPackage", SourceKind::Package, {Present()}));
  evaluator_.EvaluateAll();
  EXPECT_EQ(At(0).state, PrereqState::MustDownload);
  EXPECT_EQ(evaluator_.DisplayState(0), PrereqState::AlreadyDownloaded);
  EXPECT_EQ(At(1).state, PrereqState::MustDownload);
  EXPECT_EQ(evaluator_.DisplayState(1), PrereqState::MustDownload);
  // Found records that are selected anyway are processed by their source.
  for (std::size_t i = 2; i < 5; ++i) evaluator_.SetSelected(i, true);
  EXPECT_EQ(evaluator_.DisplayState(2), PrereqState::AlreadyDownloaded);
  EXPECT_EQ(evaluator_.DisplayState(3), PrereqState::OpenSiteManually);
  EXPECT_EQ(evaluator_.DisplayState(4), PrereqState::InstallFromPackage);
  DeleteFileW(file.c_str());
  EXPECT_EQ(evaluator_.DisplayState(2), PrereqState::MustDownload);

  DeleteFileW((subFolder + L"renamed.exe").c_str());
  RemoveDirectoryW(subFolder.c_str());
  EXPECT_TRUE(RemoveDirectoryW(DownloadFolder().c_str()));
}

TEST(FileUrlLocalPath, TakesEitherPrefixInAnyCase) {
  EXPECT_EQ(FileUrlLocalPath(L"FILE:///C:/x/setup.exe"), L"C:\\x\\setup.exe");
  EXPECT_EQ(FileUrlLocalPath(L"file:///C:/x/setup.exe"), L"C:\\x\\setup.exe");
  EXPECT_EQ(FileUrlLocalPath(L"File://server/share/a.exe"), L"server\\share\\a.exe");
  EXPECT_EQ(FileUrlLocalPath(L"http://server/a.exe"), L"");
  EXPECT_EQ(FileUrlLocalPath(L"file:/a.exe"), L"");
  EXPECT_EQ(FileUrlLocalPath(L""), L"");
}

}  // namespace
}  // namespace tessaro
