// Loading options and prerequisites from parsed documents: conversions,
// defaults, and how a broken entry truncates the list.
#include <gtest/gtest.h>

#include <string>

#include "config/options_loader.h"

namespace tessaro {
namespace {

ConfigDocument Parsed(const std::wstring& text) {
  ConfigDocument document;
  document.Parse(text);
  return document;
}

ChainerOptions LoadedPrerequisites(const std::wstring& text, LocationExpander expand = nullptr) {
  ChainerOptions options;
  LoadPrerequisites(Parsed(text), options, expand);
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
  ASSERT_TRUE(LoadGeneralOptions(Parsed(L"[GeneralOptions]\r\nOptions=qb\r\nLangs=\r\n"
                                        L"DownloadFolder=.\\dl\r\nExtractionFolder=x\r\n"
                                        L"MinWIVer=3.1\r\nAppxPkId=id\r\n"),
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
  EXPECT_TRUE(LoadGeneralOptions(Parsed(L"[generaloptions]\r\nKeepFiles=complete\r\n"), options));
  EXPECT_EQ(options.keepFiles, 9);
  EXPECT_TRUE(options.packJars);
}

TEST(ConfigGeneralOptions, ConvertedKeysAlwaysAssigned) {
  struct Case {
    const wchar_t* lines;
    std::int32_t keepFiles;
    bool flags;  // PackJars, AllPlatforms and Is64PlatformTransf alike
    bool extUiStub;
  };
  const Case cases[] = {
      {L"", 0, false, false},
      {L"KeepFiles=minimum\r\nPackJars=TRUE\r\nAllPlatforms=TRUE\r\nIs64PlatformTransf=TRUE\r\nExtUIStub="
       L"x\r\n",
       kKeepFilesMinimum, true, true},
      {L"KeepFiles=complete\r\nPackJars=tRuE\r\nAllPlatforms=tRuE\r\nIs64PlatformTransf=tRuE\r\n",
       kKeepFilesComplete, true, false},
      {L"KeepFiles=prereqs\r\nPackJars=1\r\nAllPlatforms=yes\r\nIs64PlatformTransf=truex\r\nExtUIStub=\r\n",
       kKeepFilesPrereqs, false, false},
      {L"KeepFiles=Complete\r\nPackJars=tru\r\nAllPlatforms=\r\nIs64PlatformTransf=\"true\"\r\n", 0, false,
       false},
  };
  for (const Case& c : cases) {
    GeneralOptions options;
    options.keepFiles = 9;
    options.packJars = options.allPlatforms = options.is64PlatformTransf = options.extUiStub = true;
    ASSERT_TRUE(LoadGeneralOptions(Parsed(std::wstring(L"[GeneralOptions]\r\n") + c.lines), options));
    EXPECT_EQ(options.keepFiles, c.keepFiles) << c.lines;
    EXPECT_EQ(options.packJars, c.flags) << c.lines;
    EXPECT_EQ(options.allPlatforms, c.flags) << c.lines;
    EXPECT_EQ(options.is64PlatformTransf, c.flags) << c.lines;
    EXPECT_EQ(options.extUiStub, c.extUiStub) << c.lines;
  }
}

TEST(ConfigPrerequisite, EveryKeyReachesItsField) {
  ChainerOptions options = LoadedPrerequisites(
      L"[PREREQUISITES]\r\nApp1=Full\r\n"
      L"[Full]\r\nVerMin=1.0\r\nVerMax=2.0\r\nWinNTVersions=Win7\r\nWinNT64Versions=Win8\r\n"
      L"SetupFile=setup.exe\r\nExactSize=-1\r\nMD5=abc\r\nOperator=1\r\nCommandLine=/full\r\n"
      L"BasicUiCommandLine=/basic\r\nNoUiCommandLine=/q\r\nOptions=xm\r\nRetValPropName=RV\r\n"
      L"ParentPrereq=Parent\r\nFolder=sub\\f.exe\r\nLanguageList=1033;\r\n"
      L"SearchType1=3\r\nSearchString1=HKLM\\k\r\nVerMin1=1\r\nVerMax1=2\r\nRefContent1=r\r\n"
      L"SearchCmdLine1=c\r\n");
  ASSERT_EQ(options.prerequisites.size(), 1u);
  const Prerequisite& p = options.prerequisites[0];
  EXPECT_EQ(p.name, L"Full");
  EXPECT_EQ(p.verMin, L"1.0");
  EXPECT_EQ(p.verMax, L"2.0");
  EXPECT_EQ(p.winNtVersions, L"Win7");
  EXPECT_EQ(p.winNt64Versions, L"Win8");
  EXPECT_EQ(p.location, L"setup.exe");
  EXPECT_EQ(p.sourceKind, SourceKind::Package);
  EXPECT_EQ(p.exactSize, 0xFFFFFFFFu);
  EXPECT_EQ(p.md5, L"abc");
  EXPECT_EQ(p.op, 1);
  EXPECT_EQ(p.commandLine, L"/full");
  EXPECT_EQ(p.basicUiCommandLine, L"/basic");
  EXPECT_EQ(p.noUiCommandLine, L"/q");
  EXPECT_EQ(p.options, L"xm");
  EXPECT_EQ(p.retValPropName, L"RV");
  EXPECT_EQ(p.parentPrereq, L"Parent");
  EXPECT_EQ(p.folder, L"sub\\f.exe");
  EXPECT_EQ(p.languageList, L"1033;");
  EXPECT_FALSE(p.skipSearches);
  EXPECT_EQ(p.state, PrereqState::Undefined);
  EXPECT_EQ(p.firstState, PrereqState::Undefined);
  ASSERT_EQ(p.searches.size(), 1u);
  const PrereqSearch& s = p.searches[0];
  EXPECT_EQ(s.type, 3);
  EXPECT_EQ(s.searchString, L"HKLM\\k");
  EXPECT_EQ(s.verMin, L"1");
  EXPECT_EQ(s.verMax, L"2");
  EXPECT_EQ(s.refContent, L"r");
  EXPECT_EQ(s.searchCmdLine, L"c");
}

std::wstring ExpandMarked(const std::wstring& location) { return L"<" + location + L">"; }

TEST(ConfigPrerequisite, LocationPrecedenceAndExpansion) {
  const std::wstring text =
      L"[PREREQUISITES]\r\nApp1=All\r\nApp2=SiteUrl\r\nApp3=UrlOnly\r\n"
      L"[All]\r\nUrl=u\r\nOpenSite=o\r\nSetupFile=s\r\n"
      L"[SiteUrl]\r\nUrl=u\r\nOpenSite=o\r\n"
      L"[UrlOnly]\r\nUrl=u\r\n";
  ChainerOptions expanded = LoadedPrerequisites(text, ExpandMarked);
  ASSERT_EQ(expanded.prerequisites.size(), 3u);
  EXPECT_EQ(expanded.prerequisites[0].sourceKind, SourceKind::Package);
  EXPECT_EQ(expanded.prerequisites[0].location, L"s");  // package paths are not expanded
  EXPECT_EQ(expanded.prerequisites[1].sourceKind, SourceKind::Site);
  EXPECT_EQ(expanded.prerequisites[1].location, L"<o>");
  EXPECT_EQ(expanded.prerequisites[2].sourceKind, SourceKind::Download);
  EXPECT_EQ(expanded.prerequisites[2].location, L"<u>");
  EXPECT_TRUE(expanded.prerequisites[2].searches.empty());

  ChainerOptions plain = LoadedPrerequisites(text);
  EXPECT_EQ(plain.prerequisites[2].location, L"u");
}

TEST(ConfigPrerequisite, ListEndsAtFirstBrokenEntry) {
  struct Case {
    const wchar_t* text;
    std::size_t loaded;
  };
  const wchar_t* good = L"[Good]\r\nUrl=u\r\n";
  const Case cases[] = {
      {L"[Good]\r\nUrl=u\r\n", 0},                                            // no list
      {L"[PREREQUISITES]\r\nApp2=Good\r\n", 0},                               // no App1
      {L"[PREREQUISITES]\r\nApp1=Good\r\nApp3=Good\r\n", 1},                  // gap
      {L"[PREREQUISITES]\r\nApp1=Good\r\nApp2=Missing\r\nApp3=Good\r\n", 1},  // missing section
      {L"[PREREQUISITES]\r\nApp1=Good\r\nApp2=NoLocation\r\nApp3=Good\r\n"
       L"[NoLocation]\r\nSetupFile1=s\r\nsetupfile=s\r\n",
       1},
      {L"[PREREQUISITES]\r\nApp1=Good\r\nApp2=NoString\r\nApp3=Good\r\n"
       L"[NoString]\r\nUrl=u\r\nSearchType1=1\r\nSearchString2=x\r\n",
       1},
      {L"[PREREQUISITES]\r\nApp01=Good\r\n", 0},              // no leading zeros
      {L"[PREREQUISITES]\r\nApp1=Good\r\nApp2=Good\r\n", 2},  // same section twice
  };
  for (const Case& c : cases) {
    ChainerOptions options = LoadedPrerequisites(std::wstring(c.text) + good);
    EXPECT_EQ(options.prerequisites.size(), c.loaded) << c.text;
    for (const Prerequisite& p : options.prerequisites) EXPECT_EQ(p.name, L"Good");
  }
}

TEST(ConfigSearches, NumberingGapEndsListFailureLeavesOutputAlone) {
  ConfigDocument document = Parsed(
      L"[Gap]\r\nSearchType1=1\r\nSearchString1=a\r\nSearchType3=3\r\nSearchString3=c\r\n"
      L"[Broken]\r\nSearchType1=1\r\nSearchString1=a\r\nSearchType2=2\r\n");
  std::vector<PrereqSearch> searches(1);
  ASSERT_TRUE(LoadSearches(*document.FindSection(L"Gap"), searches));
  ASSERT_EQ(searches.size(), 2u);
  EXPECT_EQ(searches[1].searchString, L"a");

  std::vector<PrereqSearch> untouched;
  EXPECT_FALSE(LoadSearches(*document.FindSection(L"Broken"), untouched));
  EXPECT_TRUE(untouched.empty());

  Prerequisite record;
  record.name = L"kept";
  EXPECT_FALSE(LoadPrerequisite(Parsed(L"[PREREQUISITES]\r\nApp1=Broken\r\n[Broken]\r\nUrl=u\r\n"
                                       L"SearchType1=1\r\n"),
                                1, record));
  EXPECT_EQ(record.name, L"kept");
  EXPECT_TRUE(record.location.empty());
}

TEST(ConfigPrerequisite, LanguageListAndSkipSearches) {
  ChainerOptions options = LoadedPrerequisites(
      L"[PREREQUISITES]\r\nApp1=A\r\nApp2=B\r\nApp3=C\r\nApp4=D\r\n"
      L"[A]\r\nUrl=u\r\nLanguageList=1033\r\nOptions=mi\r\n"
      L"[B]\r\nUrl=u\r\nLanguageList=1033;1031;\r\nOptions=I\r\n"
      L"[C]\r\nUrl=u\r\nLanguageList=\r\n"
      L"[D]\r\nUrl=u\r\nLanguageList=;\r\n");
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
  EXPECT_FALSE(LoadChainerSection(Parsed(L"[prereq_chainer]\r\nLogFile=x\r\n"), chainer));
  EXPECT_EQ(chainer.logFile, L"preset");

  ChainerSection loaded;
  ASSERT_TRUE(LoadChainerSection(Parsed(L"[PREREQ_CHAINER]\r\nCleanupFiles=C:\\a\x01"
                                        L"C:\\b\r\nLogFile=\r\n"),
                                 loaded));
  EXPECT_EQ(loaded.cleanupFiles,
            L"C:\\a\x01"
            L"C:\\b");
  EXPECT_EQ(loaded.cleanupFolders, L"");
  EXPECT_EQ(loaded.logFile, L"");
}

}  // namespace
}  // namespace tessaro
