// What a whole run cannot show of the decision (source kinds, operators, forced installs,
// parents at start-up and the OS and language lists run in the end-to-end decision scenarios).
#include "prereq/evaluator.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "prereq/os_names.h"
#include "test_support.h"

namespace tessaro {
namespace {

using States = std::vector<PrereqState>;
using enum PrereqState;

PrereqSearch Search(std::int32_t type, const std::wstring& searchString,
                    const std::wstring& refContent = {}) {
  return PrereqSearch{type, searchString, {}, {}, refContent, {}};
}

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

  // The records in list order: their states (or what the later steps see), selected ("x") or not ("-").
  States Evaluated(bool shown = false) {
    States states;
    for (std::size_t i = 0; i < options_.prerequisites.size(); ++i)
      states.push_back(shown ? evaluator_.DisplayState(i) : At(i).state);
    return states;
  }
  std::string Selected() {
    std::string flags;
    for (std::size_t i = 0; i < options_.prerequisites.size(); ++i) flags += At(i).selected ? 'x' : '-';
    return flags;
  }

  test_support::ScratchKey key_;
  test_support::ScratchFolder downloads_;
  ChainerOptions options_;
  PrereqEvaluator evaluator_{options_, nullptr};
};

// A content test compares only a value it read; unknown types match without a search.
TEST_F(EvaluatorTest, RulesOfSingleSearches) {
  for (const auto& [search, expected] : {std::pair{Search(9, key_.Path(L"missing"), L"DBeta"), false},
                                         {Search(13, key_.Path(L"absent")), true}}) {
    std::vector<SearchResult> results(3);  // stale entries must go
    EXPECT_EQ(evaluator_.EvaluateSearches({search}, results, 0, false, options_.prerequisites), expected);
    EXPECT_EQ(results.size(), 1u);
  }
}

TEST_F(EvaluatorTest, RecheckAndReevaluationFollowTheEvidenceButNotSelectionOrFinalVerdicts) {
  Add(L"Pkg", Absent()).options = L"m";
  Add(L"Dl", Absent(), SourceKind::Download).options = L"m";
  Add(L"Site", Absent(), SourceKind::Site);
  Add(L"Here", Present());
  Add(L"Forced", Absent()).skipSearches = true;
  Prerequisite& wrongOs = Add(L"WrongOs", Absent());
  wrongOs.options = L"m";
  wrongOs.winNt64Versions = kPlatformList64;
  // Language ids compare as 16 bits; only pieces closed by ";" count.
  Add(L"Language", Present()).languageList = std::to_wstring(GetSystemDefaultLangID() + 65536) + L";";
  evaluator_.EvaluateAll();
  EXPECT_EQ(Evaluated(), (States{InstallFromPackage, MustDownload, OpenSiteManually, Found,
                                 InstallFromPackage, OsNotSupported, Found}));
  EXPECT_EQ(Selected(), "xxx-x--");
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
  EXPECT_EQ(Evaluated(), (States{Found, MustDownload, OpenSiteManually, InstallFromPackage, Found,
                                 OsNotSupported, Found}));
  EXPECT_EQ(Selected(), "x-x-x--");  // a recheck neither selects nor deselects

  // Only the selected ones are looked at again; the found ones drop out.
  EXPECT_EQ(evaluator_.ReevaluateAll(), 1);
  EXPECT_EQ(Evaluated(),
            (States{Found, MustDownload, Found, InstallFromPackage, Found, OsNotSupported, Found}));
  EXPECT_EQ(Selected(), "-------");
}

// Selection through parents at start-up runs end to end; a cycle must end.
TEST_F(EvaluatorTest, ParentCyclesEndAndDeselectingAParentDropsItsChildren) {
  Add(L"A", Absent()).parentPrereq = L"B";
  Add(L"B", Absent()).parentPrereq = L"A";
  Add(L"Self", Absent()).parentPrereq = L"Self";
  Add(L"Child", Absent()).parentPrereq = L"Self";
  evaluator_.EvaluateAll();
  EXPECT_EQ(Selected(), "xxxx");
  evaluator_.SetSelected(0, false);
  evaluator_.SetSelected(2, false);
  EXPECT_EQ(Selected(), "----");
}

TEST_F(EvaluatorTest, DownloadAlreadyPresentInTheDownloadFolder) {
  const std::wstring file = downloads_ / L"setup.exe";
  test_support::MakeFile(file, FILE_ATTRIBUTE_NORMAL, std::string(123, 'x'));
  EXPECT_TRUE(evaluator_.IsAlreadyDownloaded(L"FILE:///C:/x/setup.exe", 5, L""));  // nothing to download
  Add(L"Matching", Absent(), SourceKind::Download).exactSize = 123;
  Add(L"WrongSize", Absent(), SourceKind::Download).exactSize = 99;
  Add(L"Chosen", Present(), SourceKind::Download);
  for (std::size_t i = 0; i < 3; ++i) At(i).location = L"http://127.0.0.1/files/setup.exe";
  Add(L"FoundSite", Present(), SourceKind::Site);
  Add(L"FoundPackage", Present());
  evaluator_.EvaluateAll();
  EXPECT_EQ(Evaluated(true), (States{AlreadyDownloaded, MustDownload, NotSelected, NotSelected, NotSelected}));
  // Found records that are selected anyway are processed by their source.
  for (std::size_t i = 2; i < 5; ++i) evaluator_.SetSelected(i, true);
  EXPECT_EQ(Evaluated(true), (States{AlreadyDownloaded, MustDownload, AlreadyDownloaded, OpenSiteManually,
                             InstallFromPackage}));
  DeleteFileW(file.c_str());
  EXPECT_EQ(evaluator_.DisplayState(2), MustDownload);
}

}  // namespace
}  // namespace tessaro
