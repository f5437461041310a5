#include "prereq/evaluator.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/config_document.h"
#include "config/options_loader.h"
#include "prereq/os_names.h"
#include "search_test_support.h"

namespace tessaro {
namespace {

using search_test::Search;
using States = std::vector<PrereqState>;
using enum PrereqState;

// The effective download folder is fixed once per process, so every test of
// this program names the same one; only the test that fills it creates it.
const std::wstring& DownloadFolder() {
  static const std::wstring folder =
      GetTempFolder() + L"tessaro_evaluator_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  return folder;
}

void WriteBytes(const std::wstring& path, std::size_t size) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(std::string(size, 'x').data(), 1, size, file);
  std::fclose(file);
}

class EvaluatorTest : public ::testing::Test {
 protected:
  EvaluatorTest() { options_.general.downloadFolder = DownloadFolder(); }
  void SetUp() override { key_.AddSubkey(L"present"); }

  Prerequisite& Add(const std::wstring& name, PrereqSearch search, SourceKind kind = SourceKind::Package) {
    Prerequisite& record = options_.prerequisites.emplace_back();
    record.name = name;
    record.sourceKind = kind;
    record.location = kind == SourceKind::Package ? L"setup.exe" : L"http://127.0.0.1/" + name + L".exe";
    record.searches = {std::move(search)};
    return record;
  }
  Prerequisite& At(std::size_t i) { return options_.prerequisites[i]; }
  // Key-presence searches that find something and nothing.
  PrereqSearch Present() const { return Search(5, key_.Path(L"present")); }
  PrereqSearch Absent() const { return Search(5, key_.Path(L"absent")); }

  // The records in list order: their states, what the later steps see, and
  // which are selected ("x") or not ("-").
  States Evaluated() const {
    States states;
    for (const Prerequisite& record : options_.prerequisites) states.push_back(record.state);
    return states;
  }
  States Shown() {
    States states;
    for (std::size_t i = 0; i < options_.prerequisites.size(); ++i)
      states.push_back(evaluator_.DisplayState(i));
    return states;
  }
  std::string Selected() const {
    std::string flags;
    for (const Prerequisite& record : options_.prerequisites) flags += record.selected ? 'x' : '-';
    return flags;
  }

  search_test::ScratchKey key_;
  ChainerOptions options_;
  PrereqEvaluator evaluator_{options_, nullptr};
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
    EXPECT_EQ(evaluator_.EvaluateSearches(c.searches, results, c.op, false, options_.prerequisites),
              c.expected)
        << "operator " << c.op << " with " << c.searches.size() << " searches";
    EXPECT_EQ(results.size(), c.resultsKept) << "operator " << c.op;
  }
}

TEST_F(EvaluatorTest, EachSearchTypeDecidesByItsOwnRule) {
  key_.SetText(L"version", L"2.5");
  key_.SetText(L"channel", L"Beta2");
  const std::wstring version = key_.Path(L"version");
  const std::wstring channel = key_.Path(L"channel");
  const std::pair<PrereqSearch, bool> cases[] = {
      {Search(2, version, L"2.0"), true},
      {Search(2, version, L"3.0"), false},
      {Search(6, key_.Path(L"present")), false},  // the outcome replaces the raw found flag
      {Search(6, key_.Path(L"absent")), true},
      {Search(9, channel, {}, L"SBeta"), true},
      {Search(9, channel, {}, L"MBeta"), false},
      {Search(9, channel, {}, L""), false},                     // no operation letter
      {Search(9, key_.Path(L"missing"), {}, L"DBeta"), false},  // compared only when read
      {Search(13, key_.Path(L"absent")), true},                 // unknown types match without a search
      {Search(-1, key_.Path(L"absent")), true},
  };
  for (const auto& [search, expected] : cases) {
    std::vector<SearchResult> results;
    EXPECT_EQ(evaluator_.EvaluateSearches({search}, results, 0, false, options_.prerequisites), expected)
        << "type " << search.type << " refContent " << search.refContent;
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].found, expected);
  }
}

TEST_F(EvaluatorTest, StateFollowsSourceKindAndFirstStateSticks) {
  Add(L"Pkg", Absent());
  Add(L"Dl", Absent(), SourceKind::Download);
  Add(L"Site", Absent(), SourceKind::Site);
  Add(L"Here", Present());
  evaluator_.EvaluateAll();
  EXPECT_EQ(Evaluated(), (States{InstallFromPackage, MustDownload, OpenSiteManually, Found}));
  EXPECT_EQ(Selected(), "xxx-");
  EXPECT_EQ(At(3).searchResults.size(), 1u);

  // As if a setup had removed and another added the evidence.
  key_.RemoveSubkey(L"present");
  key_.AddSubkey(L"absent");
  EXPECT_FALSE(evaluator_.RecheckAfterInstall(3));
  EXPECT_TRUE(evaluator_.RecheckAfterInstall(0));
  EXPECT_EQ(Evaluated(), (States{Found, MustDownload, OpenSiteManually, InstallFromPackage}));
  EXPECT_EQ(At(3).firstState, Found);
  EXPECT_EQ(At(0).firstState, InstallFromPackage);
  EXPECT_EQ(Selected(), "xxx-");  // a recheck does not select
}

TEST_F(EvaluatorTest, SkippedSearchesAlwaysMissingAndReevaluationKeepsState) {
  Prerequisite& skipped = Add(L"Forced", Present());
  skipped.options = L"i";
  skipped.skipSearches = true;
  evaluator_.EvaluateAll();
  EXPECT_EQ(skipped.state, InstallFromPackage);
  EXPECT_TRUE(skipped.selected && skipped.searchResults.empty());

  skipped.state = Found;  // whatever it holds stays
  EXPECT_TRUE(evaluator_.RecheckAfterInstall(0));
  EXPECT_EQ(skipped.state, Found);
  EXPECT_TRUE(skipped.searchResults.empty());
}

TEST_F(EvaluatorTest, MissingMandatoryCountIgnoresSelection) {
  Add(L"MissingM", Absent()).options = L"m";
  Add(L"MissingMx", Absent()).options = L"xmr";
  Add(L"FoundM", Present()).options = L"m";
  Add(L"MissingOptional", Absent()).options = L"r";
  Prerequisite& wrongOs = Add(L"WrongOsM", Absent());
  wrongOs.options = L"m";
  wrongOs.winNt64Versions = kPlatformList64;
  evaluator_.EvaluateAll();
  EXPECT_EQ(evaluator_.CountMissingMandatory(), 2);
  evaluator_.SetSelected(0, false);
  EXPECT_EQ(evaluator_.CountMissingMandatory(), 2);
  key_.AddSubkey(L"absent");
  EXPECT_EQ(evaluator_.ReevaluateAll(), 1);  // the deselected one was not looked at again
  EXPECT_EQ(Evaluated(), (States{InstallFromPackage, Found, Found, Found, OsNotSupported}));
  EXPECT_EQ(Selected(), "-----");
}

TEST_F(EvaluatorTest, MissingRecordsAreSelectedWhateverTheirParentsAndCyclesEnd) {
  Add(L"Parent", Present());
  Add(L"Child", Absent()).parentPrereq = L"Parent";
  Add(L"Orphan", Absent()).parentPrereq = L"Nobody";
  Add(L"A", Absent()).parentPrereq = L"B";
  Add(L"B", Absent()).parentPrereq = L"A";
  Add(L"Self", Absent()).parentPrereq = L"Self";
  evaluator_.EvaluateAll();
  EXPECT_EQ(Selected(), "-xxxxx");
  EXPECT_EQ(evaluator_.DisplayState(0), NotSelected);
  evaluator_.SetSelected(3, false);
  EXPECT_EQ(Selected(), "-xx--x");
}

TEST_F(EvaluatorTest, ParentAndChildSelectEachOther) {
  Add(L"Parent", Absent());
  Add(L"Child", Absent()).parentPrereq = L"Parent";
  Add(L"FoundChild", Present()).parentPrereq = L"Parent";
  Prerequisite& wrongOs = Add(L"WrongOsChild", Absent());
  wrongOs.parentPrereq = L"Parent";
  wrongOs.winNt64Versions = kPlatformList64;
  Add(L"parent", Absent());  // names compare case-sensitively
  for (std::size_t i = 0; i < options_.prerequisites.size(); ++i) evaluator_.EvaluatePrerequisite(i, false);

  evaluator_.SetSelected(1, true);  // the child pulls its parent in
  EXPECT_EQ(Selected(), "xx---");
  evaluator_.SetSelected(0, false);  // dropping the parent drops its children
  EXPECT_EQ(Selected(), "-----");
  evaluator_.SetSelected(0, true);  // and selecting it selects the missing ones
  EXPECT_EQ(Selected(), "xx---");
}

// Lists of other systems, the names of this one, the other architecture's list
// and the language list in its common forms are proven by whole runs.
TEST_F(EvaluatorTest, OsListsExcludeByExactPlatformTextOrSystemName) {
  for (const std::wstring& list : {std::wstring(kPlatformList64), L"Windows 95, " + GetDetailedOsName(),
                                   GetGenericOsName() + L", Windows 95",
                                   std::wstring(kPlatformList64) + L", Windows 95",  // only on its own
                                   L"windows" + GetGenericOsName().substr(7)}) {
    Add(L"Os", Present()).winNt64Versions = list;
  }
  evaluator_.EvaluateAll();
  const States excluded{OsNotSupported, OsNotSupported, OsNotSupported, Found, Found};
  EXPECT_EQ(Evaluated(), excluded);
  EXPECT_EQ(Selected(), "-----");
  EXPECT_EQ(Shown(), States(5, NotSelected));
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(At(i).searchResults.empty());
    // Final: even without the list it is not looked at again.
    At(i).winNt64Versions.clear();
    EXPECT_FALSE(evaluator_.RecheckAfterInstall(i));
  }
  EXPECT_EQ(Evaluated(), excluded);
}

TEST_F(EvaluatorTest, LanguageListsMatchTheSystemLanguageOnly) {
  const LANGID system = GetSystemDefaultLangID();
  const std::pair<std::wstring, bool> cases[] = {
      {L"", true},
      {std::to_wstring(system), true},
      {std::to_wstring(system == 1031 ? 1036 : 1031), false},
      {std::to_wstring(system + 65536), true},  // compared as 16 bits
  };
  for (const auto& [list, accepted] : cases) {
    // Through the loader, which closes the list with ";".
    ConfigDocument document;
    document.Parse(L"[PREREQUISITES]\r\nApp1=Lang\r\n[Lang]\r\nSetupFile=setup.exe\r\nLanguageList=" + list +
                   L"\r\nSearchType1=5\r\nSearchString1=" + key_.Path(L"present") + L"\r\n");
    ChainerOptions options;
    LoadPrerequisites(document, options, nullptr);
    ASSERT_EQ(options.prerequisites.size(), 1u);
    PrereqEvaluator evaluator(options, nullptr);
    evaluator.EvaluateAll();
    EXPECT_EQ(options.prerequisites[0].state, accepted ? Found : OsNotSupported) << list;
  }

  // Only pieces closed by ";" count, so an unclosed list that bypassed the loader fails.
  Add(L"Raw", Present()).languageList = std::to_wstring(system);
  evaluator_.EvaluateAll();
  EXPECT_EQ(At(0).state, OsNotSupported);
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

  Add(L"Matching", Absent(), SourceKind::Download).exactSize = 123;
  Add(L"WrongSize", Absent(), SourceKind::Download).exactSize = 99;
  Add(L"Chosen", Present(), SourceKind::Download);
  for (std::size_t i = 0; i < 3; ++i) At(i).location = url;
  Add(L"FoundSite", Present(), SourceKind::Site);
  Add(L"FoundPackage", Present());
  evaluator_.EvaluateAll();
  EXPECT_EQ(Evaluated(), (States{MustDownload, MustDownload, Found, Found, Found}));
  EXPECT_EQ(Shown(), (States{AlreadyDownloaded, MustDownload, NotSelected, NotSelected, NotSelected}));
  // Found records that are selected anyway are processed by their source.
  for (std::size_t i = 2; i < 5; ++i) evaluator_.SetSelected(i, true);
  EXPECT_EQ(Shown(), (States{AlreadyDownloaded, MustDownload, AlreadyDownloaded, OpenSiteManually,
                             InstallFromPackage}));
  DeleteFileW(file.c_str());
  EXPECT_EQ(evaluator_.DisplayState(2), MustDownload);

  DeleteFolderContents(DownloadFolder());
  EXPECT_TRUE(RemoveDirectoryW(DownloadFolder().c_str()));
}

TEST(FileUrlLocalPath, TakesEitherPrefixInAnyCase) {
  EXPECT_EQ(FileUrlLocalPath(L"FILE:///C:/x/setup.exe"), L"C:\\x\\setup.exe");
  EXPECT_EQ(FileUrlLocalPath(L"file:///C:/x/setup.exe"), L"C:\\x\\setup.exe");
  EXPECT_EQ(FileUrlLocalPath(L"File://server/share/a.exe"), L"server\\share\\a.exe");
  for (const wchar_t* notFile : {L"http://server/a.exe", L"file:/a.exe", L""}) {
    EXPECT_EQ(FileUrlLocalPath(notFile), L"") << notFile;
  }
}

}  // namespace
}  // namespace tessaro
