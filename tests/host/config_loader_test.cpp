// Loading options and prerequisites from parsed documents: conversions,
// defaults, and how a broken entry truncates the list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/options_loader.h"

namespace tessaro {
namespace {

using Lines = std::vector<std::wstring>;

ConfigDocument Ini(const Lines& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) text += line + L"\r\n";
  ConfigDocument document;
  document.Parse(text);
  return document;
}

ChainerOptions LoadedPrerequisites(const ConfigDocument& document, LocationExpander expand = nullptr) {
  ChainerOptions options;
  LoadPrerequisites(document, options, expand);
  return options;
}

TEST(ConfigDecimalInt, LeadingSpacesSignsDigitsAndWrap) {
  struct Case {
    const wchar_t* text;
    std::int32_t expected;
  };
  const Case cases[] = {
      {L"12abc", 12},
      {L"abc", 0},
      {L"", 0},
      {L"-5", -5},
      {L"  -+7", -7},
      {L"+7", 7},
      {L"+-7", 0},
      {L"--7", 0},
      {L"\t7", 0},
      {L"  12 3", 12},
      {L"-", 0},
      {L"4294967297", 1},
      {L"2147483648", INT32_MIN},
      {L"-2147483648", INT32_MIN},
      {L"99999999999999999999999", -159383553},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDecimalInt(c.text), c.expected) << c.text;
}

TEST(ConfigGeneralOptions, StringKeysPresentSetAbsentKeep) {
  GeneralOptions options;
  options.productCode = L"preset";
  options.langs = L"preset";
  ASSERT_TRUE(LoadGeneralOptions(Ini({L"[GeneralOptions]", L"Options=qb", L"Langs=", L"DownloadFolder=.\\dl",
                                      L"ExtractionFolder=x", L"MinWIVer=3.1", L"AppxPkId=id"}),
                                 options));
  EXPECT_EQ(options.options, L"qb");
  EXPECT_EQ(options.langs, L"");
  EXPECT_EQ(options.productCode, L"preset");
  EXPECT_EQ(options.downloadFolder, L".\\dl");
  EXPECT_EQ(options.extractionFolder, L"x");
  EXPECT_EQ(options.minWiVer, L"3.1");
  EXPECT_EQ(options.appxPkId, L"id");
}

TEST(ConfigGeneralOptions, NoSectionKeepsEverything) {
  GeneralOptions options;
  options.keepFiles = 9;
  options.packJars = true;
  EXPECT_TRUE(LoadGeneralOptions(Ini({L"[generaloptions]", L"KeepFiles=complete"}), options));
  EXPECT_EQ(options.keepFiles, 9);
  EXPECT_TRUE(options.packJars);
}

TEST(ConfigGeneralOptions, ConvertedKeysAlwaysAssigned) {
  struct Case {
    const wchar_t* keepFiles;  // each value is written only when not null
    const wchar_t* flag;       // PackJars, AllPlatforms and Is64PlatformTransf alike
    const wchar_t* extUiStub;
    std::int32_t expectedKeepFiles;
    bool expectedFlag;
    bool expectedExtUiStub;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, 0, false, false},
      {L"minimum", L"TRUE", L"x", kKeepFilesMinimum, true, true},
      {L"complete", L"tRuE", L"", kKeepFilesComplete, true, false},
      {L"prereqs", L"1", nullptr, kKeepFilesPrereqs, false, false},
      {L"Complete", L"truex", L"0", 0, false, true},
      {L"", L"\"true\"", nullptr, 0, false, false},
      {L"prereqs ;", L"", nullptr, 0, false, false},
  };
  for (const Case& c : cases) {
    ConfigDocument document = Ini({L"[GeneralOptions]"});
    if (c.keepFiles) document.SetValue(L"GeneralOptions", L"KeepFiles", c.keepFiles);
    if (c.extUiStub) document.SetValue(L"GeneralOptions", L"ExtUIStub", c.extUiStub);
    for (const wchar_t* key : {L"PackJars", L"AllPlatforms", L"Is64PlatformTransf"}) {
      if (c.flag) document.SetValue(L"GeneralOptions", key, c.flag);
    }
    GeneralOptions options;
    options.keepFiles = 9;
    options.packJars = options.allPlatforms = options.is64PlatformTransf = options.extUiStub = true;
    ASSERT_TRUE(LoadGeneralOptions(document, options));
    const std::wstring label =
        std::wstring(c.keepFiles ? c.keepFiles : L"-") + L"/" + (c.flag ? c.flag : L"-");
    EXPECT_EQ(options.keepFiles, c.expectedKeepFiles) << label;
    EXPECT_EQ(options.packJars, c.expectedFlag) << label;
    EXPECT_EQ(options.allPlatforms, c.expectedFlag) << label;
    EXPECT_EQ(options.is64PlatformTransf, c.expectedFlag) << label;
    EXPECT_EQ(options.extUiStub, c.expectedExtUiStub) << label;
  }
}

TEST(ConfigPrerequisite, EveryKeyReachesItsField) {
  ChainerOptions options = LoadedPrerequisites(Ini({
      L"[PREREQUISITES]",
      L"App1=Full",
      L"[Full]",
      L"VerMin=1.0",
      L"VerMax=2.0",
      L"WinNTVersions=Win7",
      L"WinNT64Versions=Win8",
      L"SetupFile=setup.exe",
      L"ExactSize=-1",
      L"MD5=abc",
      L"Operator=1",
      L"CommandLine=/full",
      L"BasicUiCommandLine=/basic",
      L"NoUiCommandLine=/q",
      L"Options=xm",
      L"RetValPropName=RV",
      L"ParentPrereq=Parent",
      L"Folder=sub\\f.exe",
      L"LanguageList=1033;",
      L"SearchType1=3",
      L"SearchString1=HKLM\\k",
      L"VerMin1=1",
      L"VerMax1=2",
      L"RefContent1=r",
      L"SearchCmdLine1=c",
  }));
  ASSERT_EQ(options.prerequisites.size(), 1u);
  const Prerequisite& p = options.prerequisites[0];
  const std::vector<std::wstring> texts{p.name,
                                        p.verMin,
                                        p.verMax,
                                        p.winNtVersions,
                                        p.winNt64Versions,
                                        p.location,
                                        p.md5,
                                        p.commandLine,
                                        p.basicUiCommandLine,
                                        p.noUiCommandLine,
                                        p.options,
                                        p.retValPropName,
                                        p.parentPrereq,
                                        p.folder,
                                        p.languageList};
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"Full", L"1.0", L"2.0", L"Win7", L"Win8", L"setup.exe", L"abc",
                                              L"/full", L"/basic", L"/q", L"xm", L"RV", L"Parent",
                                              L"sub\\f.exe", L"1033;"}));
  EXPECT_EQ(p.sourceKind, SourceKind::Package);
  EXPECT_EQ(p.exactSize, 0xFFFFFFFFu);
  EXPECT_EQ(p.op, 1);
  EXPECT_FALSE(p.skipSearches);
  EXPECT_EQ(p.state, PrereqState::Undefined);
  EXPECT_EQ(p.firstState, PrereqState::Undefined);
  ASSERT_EQ(p.searches.size(), 1u);
  const PrereqSearch& s = p.searches[0];
  EXPECT_EQ(s.type, 3);
  EXPECT_EQ((std::vector<std::wstring>{s.searchString, s.verMin, s.verMax, s.refContent, s.searchCmdLine}),
            (std::vector<std::wstring>{L"HKLM\\k", L"1", L"2", L"r", L"c"}));
}

std::wstring ExpandMarked(const std::wstring& location) { return L"<" + location + L">"; }

TEST(ConfigPrerequisite, LocationPrecedenceAndExpansion) {
  const ConfigDocument document = Ini({
      L"[PREREQUISITES]",
      L"App1=All",
      L"App2=SiteUrl",
      L"App3=UrlOnly",
      L"[All]",
      L"Url=u",
      L"OpenSite=o",
      L"SetupFile=s",
      L"[SiteUrl]",
      L"Url=u",
      L"OpenSite=o",
      L"[UrlOnly]",
      L"Url=u",
  });
  ChainerOptions expanded = LoadedPrerequisites(document, ExpandMarked);
  ASSERT_EQ(expanded.prerequisites.size(), 3u);
  EXPECT_EQ(expanded.prerequisites[0].sourceKind, SourceKind::Package);
  EXPECT_EQ(expanded.prerequisites[0].location, L"s");  // package paths are not expanded
  EXPECT_EQ(expanded.prerequisites[1].sourceKind, SourceKind::Site);
  EXPECT_EQ(expanded.prerequisites[1].location, L"<o>");
  EXPECT_EQ(expanded.prerequisites[2].sourceKind, SourceKind::Download);
  EXPECT_EQ(expanded.prerequisites[2].location, L"<u>");
  EXPECT_TRUE(expanded.prerequisites[2].searches.empty());

  EXPECT_EQ(LoadedPrerequisites(document).prerequisites[2].location, L"u");
}

TEST(ConfigPrerequisite, ListEndsAtFirstBrokenEntry) {
  struct Case {
    const char* what;
    Lines lines;
    std::size_t loaded;
  };
  const Case cases[] = {
      {"no list", {}, 0},
      {"no App1", {L"[PREREQUISITES]", L"App2=Good"}, 0},
      {"no leading zeros", {L"[PREREQUISITES]", L"App01=Good"}, 0},
      {"gap", {L"[PREREQUISITES]", L"App1=Good", L"App3=Good"}, 1},
      {"missing section", {L"[PREREQUISITES]", L"App1=Good", L"App2=Missing", L"App3=Good"}, 1},
      {"no location",
       {L"[PREREQUISITES]", L"App1=Good", L"App2=NoLocation", L"App3=Good", L"[NoLocation]", L"SetupFile1=s",
        L"setupfile=s"},
       1},
      {"search without string",
       {L"[PREREQUISITES]", L"App1=Good", L"App2=NoString", L"App3=Good", L"[NoString]", L"Url=u",
        L"SearchType1=1", L"SearchString2=x"},
       1},
      {"same section twice", {L"[PREREQUISITES]", L"App1=Good", L"App2=Good"}, 2},
  };
  for (const Case& c : cases) {
    ConfigDocument document = Ini(c.lines);
    document.SetValue(L"Good", L"Url", L"u");
    ChainerOptions options = LoadedPrerequisites(document);
    EXPECT_EQ(options.prerequisites.size(), c.loaded) << c.what;
    for (const Prerequisite& p : options.prerequisites) EXPECT_EQ(p.name, L"Good") << c.what;
  }
}

TEST(ConfigSearches, NumberingGapEndsListFailureLeavesOutputAlone) {
  ConfigDocument document = Ini({
      L"[Gap]",
      L"SearchType1=1",
      L"SearchString1=a",
      L"SearchType3=3",
      L"SearchString3=c",
      L"[Broken]",
      L"SearchType1=1",
      L"SearchString1=a",
      L"SearchType2=2",
      L"[PREREQUISITES]",
      L"App1=Broken",
  });
  std::vector<PrereqSearch> searches(1);
  ASSERT_TRUE(LoadSearches(*document.FindSection(L"Gap"), searches));
  ASSERT_EQ(searches.size(), 2u);
  EXPECT_EQ(searches[1].searchString, L"a");

  std::vector<PrereqSearch> untouched;
  EXPECT_FALSE(LoadSearches(*document.FindSection(L"Broken"), untouched));
  EXPECT_TRUE(untouched.empty());

  document.SetValue(L"Broken", L"Url", L"u");
  Prerequisite record;
  record.name = L"kept";
  EXPECT_FALSE(LoadPrerequisite(document, 1, record));
  EXPECT_EQ(record.name, L"kept");
  EXPECT_TRUE(record.location.empty());
}

TEST(ConfigPrerequisite, LanguageListAndSkipSearches) {
  ChainerOptions options = LoadedPrerequisites(Ini({
      L"[PREREQUISITES]",
      L"App1=A",
      L"App2=B",
      L"App3=C",
      L"App4=D",
      L"[A]",
      L"Url=u",
      L"LanguageList=1033",
      L"Options=mi",
      L"[B]",
      L"Url=u",
      L"LanguageList=1033;1031;",
      L"Options=I",
      L"[C]",
      L"Url=u",
      L"LanguageList=",
      L"[D]",
      L"Url=u",
      L"LanguageList=;",
  }));
  ASSERT_EQ(options.prerequisites.size(), 4u);
  EXPECT_EQ(options.prerequisites[0].languageList, L"1033;");
  EXPECT_TRUE(options.prerequisites[0].skipSearches);
  EXPECT_EQ(options.prerequisites[1].languageList, L"1033;1031;");
  EXPECT_FALSE(options.prerequisites[1].skipSearches);
  EXPECT_EQ(options.prerequisites[2].languageList, L"");
  EXPECT_EQ(options.prerequisites[3].languageList, L";");
}

TEST(ConfigChainerSection, PresenceAndKeys) {
  ChainerSection chainer;
  chainer.logFile = L"preset";
  EXPECT_FALSE(LoadChainerSection(Ini({L"[prereq_chainer]", L"LogFile=x"}), chainer));
  EXPECT_EQ(chainer.logFile, L"preset");

  ChainerSection loaded;
  ASSERT_TRUE(LoadChainerSection(Ini({L"[PREREQ_CHAINER]",
                                      L"CleanupFiles=C:\\a\x01"
                                      L"C:\\b",
                                      L"LogFile="}),
                                 loaded));
  EXPECT_EQ(loaded.cleanupFiles,
            L"C:\\a\x01"
            L"C:\\b");
  EXPECT_EQ(loaded.cleanupFolders, L"");
  EXPECT_EQ(loaded.logFile, L"");
}

TEST(ConfigStateText, KnownAndOutOfRange) {
  EXPECT_STREQ(PrereqStateText(PrereqState::Found), L"An acceptable version was found.");
  EXPECT_STREQ(PrereqStateText(PrereqState::NotSelected), L"Not selected for install.");
  EXPECT_STREQ(PrereqStateText(PrereqState::Undefined), L"Undefined");
  EXPECT_STREQ(PrereqStateText(static_cast<PrereqState>(-1)), L"Undefined");
  EXPECT_STREQ(PrereqStateText(static_cast<PrereqState>(42)), L"Undefined");
}

}  // namespace
}  // namespace tessaro
