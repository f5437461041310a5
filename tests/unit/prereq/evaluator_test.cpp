// What a whole run cannot show of the decision: each search type's rule on
// its own, re-evaluation after setups ran, selection changed by the user, and
// the state the later steps act on. Source kinds, operators, forced installs,
// parents at start-up and the OS and language lists are proven by the
// end-to-end decision scenarios.
#include "prereq/evaluator.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "prereq/os_names.h"
#include "search_test_support.h"

namespace tessaro {
namespace {

using test_support::Search;
using States = std::vector<PrereqState>;
using enum PrereqState;

class EvaluatorTest : public ::testing::Test {
 protected:
  EvaluatorTest() { options_.general.downloadFolder = downloads_.Path(); }
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
    for (std::size_t i = 0; i < options_.prerequisites.size(); ++i) states.push_back(evaluator_.DisplayState(i));
    return states;
  }
  std::string Selected() const {
    std::string flags;
    for (const Prerequisite& record : options_.prerequisites) flags += record.selected ? 'x' : '-';
    return flags;
  }

  test_support::ScratchKey key_;
  test_support::ScratchFolder downloads_;
  ChainerOptions options_;
  PrereqEvaluator evaluator_{options_, nullptr};
};

// Version ranges, absence and a matching content are decided in whole runs
// (the end-to-end decision scenarios); these are the rules they do not reach.
TEST_F(EvaluatorTest, EachSearchTypeDecidesByItsOwnRule) {
  key_.SetText(L"channel", L"Beta2");
  const std::wstring channel = key_.Path(L"channel");
  const std::pair<PrereqSearch, bool> cases[] = {
      {Search(6, key_.Path(L"present")), false},  // the outcome replaces the raw found flag
      {Search(9, channel, {}, L"MBeta"), false},
      {Search(9, channel, {}, L""), false},                     // no operation letter
      {Search(9, key_.Path(L"missing"), {}, L"DBeta"), false},  // compared only when read
      {Search(13, key_.Path(L"absent")), true},                 // unknown types match without a search
  };
  for (const auto& [search, expected] : cases) {
    std::vector<SearchResult> results(3);  // stale entries must go
    EXPECT_EQ(evaluator_.EvaluateSearches({search}, results, 0, false, options_.prerequisites), expected)
        << "type " << search.type << " refContent " << test_support::Narrow(search.refContent);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].found, expected);
  }
}

TEST_F(EvaluatorTest, RecheckAndReevaluationFollowTheEvidenceButNotSelectionOrFinalVerdicts) {
  Add(L"Pkg", Absent()).options = L"m";
  Add(L"Dl", Absent(), SourceKind::Download).options = L"m";
  Add(L"Site", Absent(), SourceKind::Site);
  Add(L"Here", Present());
  Prerequisite& forced = Add(L"Forced", Absent());
  forced.options = L"i";
  forced.skipSearches = true;
  Prerequisite& wrongOs = Add(L"WrongOs", Absent());
  wrongOs.options = L"m";
  wrongOs.winNt64Versions = kPlatformList64;
  // Language ids compare as 16 bits; only pieces closed by ";" count.
  Add(L"Language", Present()).languageList = std::to_wstring(GetSystemDefaultLangID() + 65536) + L";";
  evaluator_.EvaluateAll();
  EXPECT_EQ(Evaluated(), (States{InstallFromPackage, MustDownload, OpenSiteManually, Found, InstallFromPackage,
                                 OsNotSupported, Found}));
  EXPECT_EQ(Selected(), "xxx-x--");
  EXPECT_EQ(At(3).searchResults.size(), 1u);
  // Missing mandatory ones count whether selected or not; excluded ones never.
  evaluator_.SetSelected(1, false);
  EXPECT_EQ(evaluator_.CountMissingMandatory(), 2);

  // As if a setup had removed and another added the evidence.
  key_.RemoveSubkey(L"present");
  key_.AddSubkey(L"absent");
  EXPECT_TRUE(evaluator_.RecheckAfterInstall(0));
  EXPECT_FALSE(evaluator_.RecheckAfterInstall(3));
  At(4).state = Found;  // skipped searches: whatever the record holds stays
  EXPECT_TRUE(evaluator_.RecheckAfterInstall(4));
  At(5).winNt64Versions.clear();
  EXPECT_FALSE(evaluator_.RecheckAfterInstall(5));  // excluded for good
  EXPECT_EQ(Evaluated(),
            (States{Found, MustDownload, OpenSiteManually, InstallFromPackage, Found, OsNotSupported, Found}));
  EXPECT_EQ(At(0).firstState, InstallFromPackage);
  EXPECT_EQ(At(3).firstState, Found);
  EXPECT_TRUE(At(4).searchResults.empty() && At(5).searchResults.empty());
  EXPECT_EQ(Selected(), "x-x-x--");  // a recheck neither selects nor deselects

  // Only the selected ones are looked at again; the found ones drop out.
  EXPECT_EQ(evaluator_.ReevaluateAll(), 1);
  EXPECT_EQ(Evaluated(), (States{Found, MustDownload, Found, InstallFromPackage, Found, OsNotSupported, Found}));
  EXPECT_EQ(Selected(), "-------");
}

TEST_F(EvaluatorTest, ParentsAndChildrenSelectEachOtherAndCyclesEnd) {
  Add(L"Parent", Absent());
  Add(L"Child", Absent()).parentPrereq = L"Parent";
  Add(L"FoundChild", Present()).parentPrereq = L"Parent";
  Prerequisite& wrongOs = Add(L"WrongOsChild", Absent());
  wrongOs.parentPrereq = L"Parent";
  wrongOs.winNt64Versions = kPlatformList64;
  Add(L"parent", Absent());  // names compare case-sensitively
  Add(L"A", Absent()).parentPrereq = L"B";
  Add(L"B", Absent()).parentPrereq = L"A";
  Add(L"Self", Absent()).parentPrereq = L"Self";
  for (std::size_t i = 0; i < options_.prerequisites.size(); ++i) evaluator_.EvaluatePrerequisite(i, false);

  evaluator_.SetSelected(1, true);  // the child pulls its parent in
  EXPECT_EQ(Selected(), "xx------");
  evaluator_.SetSelected(0, false);  // dropping the parent drops its children
  EXPECT_EQ(Selected(), "--------");
  evaluator_.SetSelected(0, true);  // and selecting it selects the missing ones
  EXPECT_EQ(Selected(), "xx------");
  evaluator_.SetSelected(5, true);
  evaluator_.SetSelected(7, true);
  EXPECT_EQ(Selected(), "xx---xxx");
  evaluator_.SetSelected(6, false);
  EXPECT_EQ(Selected(), "xx-----x");
}

// The whole platform list excludes only on its own; names compare exactly.
TEST_F(EvaluatorTest, OsListsCompareWholeTextsCaseSensitively) {
  Add(L"ListAndMore", Present()).winNt64Versions = std::wstring(kPlatformList64) + L", Windows 95";
  Add(L"LowerCase", Present()).winNt64Versions = L"windows" + GetGenericOsName().substr(7);
  evaluator_.EvaluateAll();
  EXPECT_EQ(Evaluated(), (States{Found, Found}));
}

TEST_F(EvaluatorTest, DownloadAlreadyPresentInTheDownloadFolder) {
  const std::wstring file = downloads_ / L"setup.exe";
  test_support::MakeFile(file, FILE_ATTRIBUTE_NORMAL, std::string(123, 'x'));
  ASSERT_TRUE(CreateDirectoryW((downloads_ / L"sub").c_str(), nullptr));
  test_support::MakeFile(downloads_ / L"sub\\renamed.exe", FILE_ATTRIBUTE_NORMAL, std::string(10, 'x'));

  const std::wstring url = L"http://127.0.0.1/files/setup.exe";
  EXPECT_FALSE(evaluator_.IsAlreadyDownloaded(L"http://127.0.0.1/other.exe", 0, L""));
  EXPECT_TRUE(evaluator_.IsAlreadyDownloaded(url, 10, L"sub?renamed.exe"));
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
}

}  // namespace
}  // namespace tessaro
