// Loading options and prerequisites from parsed documents: conversions,
// defaults, and how a broken entry truncates the list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/options_loader.h"
#include "platform/decimal_text.h"

namespace tessaro {
namespace {

using Lines = std::vector<std::wstring>;

// Lines given with "\n" endings reach the parser with the CR-LF it needs.
ConfigDocument Ini(const std::wstring& lines) {
  std::wstring text;
  for (wchar_t c : lines) text += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
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
  const std::pair<const wchar_t*, std::int32_t> cases[] = {
      {L"12abc", 12}, {L"", 0},    {L"-5", -5}, {L"  -+7", -7},     {L"+7", 7},
      {L"+-7", 0},    {L"\t7", 0}, {L"-", 0},   {L"4294967297", 1}, {L"2147483648", INT32_MIN}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseDecimalInt(text), expected) << text;
  EXPECT_EQ(ParseDecimalInt(L"99999999999999999999999"), -159383553);
  // Read as written: digits to the end, none lost to the wrap.
  for (const wchar_t* plain : {L"0", L"  -+7", L"4294967295", L"-2147483648"})
    EXPECT_TRUE(IsPlainDecimal(plain));
  for (const wchar_t* misread : {L"-", L"12 ", L"4294967296"})
    EXPECT_FALSE(IsPlainDecimal(misread)) << misread;
}

TEST(ConfigGeneralOptions, StringKeysPresentSetAbsentKeep) {
  GeneralOptions options;
  options.productCode = options.langs = L"preset";
  options.keepFiles = 9;
  options.packJars = true;
  // Section names are case-sensitive: no section keeps everything.
  EXPECT_TRUE(LoadGeneralOptions(Ini(L"[generaloptions]\nKeepFiles=complete\n"), options));
  EXPECT_EQ(options.keepFiles, 9);
  EXPECT_TRUE(options.packJars);
  ASSERT_TRUE(LoadGeneralOptions(Ini(L"[GeneralOptions]\nOptions=qb\nLangs=\nDownloadFolder=.\\dl\n"
                                     L"ExtractionFolder=x\nMinWIVer=3.1\nAppxPkId=id\n"),
                                 options));
  EXPECT_EQ((Lines{options.options, options.langs, options.productCode, options.downloadFolder,
                   options.extractionFolder, options.minWiVer, options.appxPkId}),
            (Lines{L"qb", L"", L"preset", L".\\dl", L"x", L"3.1", L"id"}));
}

TEST(ConfigGeneralOptions, ConvertedKeysAlwaysAssigned) {
  const struct {
    const wchar_t* keepFiles;  // each value is written only when not null
    const wchar_t* flag;       // PackJars, AllPlatforms and Is64PlatformTransf alike
    const wchar_t* extUiStub;
    std::int32_t expectedKeepFiles;
    bool expectedFlag, expectedExtUiStub;
  } cases[] = {
      {nullptr, nullptr, nullptr, 0, false, false},
      {L"minimum", L"TRUE", L"x", kKeepFilesMinimum, true, true},
      {L"complete", L"tRuE", L"", kKeepFilesComplete, true, false},
      {L"prereqs", L"1", nullptr, kKeepFilesPrereqs, false, false},
      {L"Complete", L"truex", L"0", 0, false, true},
  };
  for (const auto& c : cases) {
    ConfigDocument document = Ini(L"[GeneralOptions]\n");
    if (c.keepFiles) document.SetValue(L"GeneralOptions", L"KeepFiles", c.keepFiles);
    if (c.extUiStub) document.SetValue(L"GeneralOptions", L"ExtUIStub", c.extUiStub);
    for (const wchar_t* key : {L"PackJars", L"AllPlatforms", L"Is64PlatformTransf"}) {
      if (c.flag) document.SetValue(L"GeneralOptions", key, c.flag);
    }
    GeneralOptions options;
    options.keepFiles = 9;
    options.packJars = options.allPlatforms = options.is64PlatformTransf = options.extUiStub = true;
    ASSERT_TRUE(LoadGeneralOptions(document, options));
    SCOPED_TRACE(std::wstring(c.keepFiles ? c.keepFiles : L"-") + L"/" + (c.flag ? c.flag : L"-"));
    EXPECT_EQ(options.keepFiles, c.expectedKeepFiles);
    EXPECT_EQ((std::vector<bool>{options.packJars, options.allPlatforms, options.is64PlatformTransf}),
              std::vector<bool>(3, c.expectedFlag));
    EXPECT_EQ(options.extUiStub, c.expectedExtUiStub);
  }
}

TEST(ConfigPrerequisite, EveryKeyReachesItsField) {
  ChainerOptions options = LoadedPrerequisites(Ini(
      L"[PREREQUISITES]\nApp1=Full\n[Full]\nVerMin=1.0\nVerMax=2.0\nWinNTVersions=Win7\n"
      L"WinNT64Versions=Win8\nSetupFile=setup.exe\nExactSize=-1\nMD5=abc\nOperator=1\nCommandLine=/full\n"
      L"BasicUiCommandLine=/basic\nNoUiCommandLine=/q\nOptions=xmI\nRetValPropName=RV\nParentPrereq=Parent\n"
      L"Folder=sub\\f.exe\nLanguageList=1033\nSearchType1=3\nSearchString1=HKLM\\k\nVerMin1=1\nVerMax1=2\n"
      L"RefContent1=r\nSearchCmdLine1=c\n"));
  ASSERT_EQ(options.prerequisites.size(), 1u);
  const Prerequisite& p = options.prerequisites[0];
  EXPECT_EQ((Lines{p.name, p.verMin, p.verMax, p.winNtVersions, p.winNt64Versions, p.location, p.md5,
                   p.commandLine, p.basicUiCommandLine, p.noUiCommandLine, p.options, p.retValPropName,
                   p.parentPrereq, p.folder, p.languageList}),
            (Lines{L"Full", L"1.0", L"2.0", L"Win7", L"Win8", L"setup.exe", L"abc", L"/full", L"/basic",
                   L"/q", L"xmI", L"RV", L"Parent", L"sub\\f.exe", L"1033;"}));
  EXPECT_EQ(p.sourceKind, SourceKind::Package);
  EXPECT_EQ(p.exactSize, 0xFFFFFFFFu);
  EXPECT_EQ(p.op, 1);
  EXPECT_FALSE(p.skipSearches);  // only a lower-case "i" skips them
  EXPECT_EQ(p.state, PrereqState::Undefined);
  EXPECT_EQ(p.firstState, PrereqState::Undefined);
  ASSERT_EQ(p.searches.size(), 1u);
  const PrereqSearch& s = p.searches[0];
  EXPECT_EQ(s.type, 3);
  EXPECT_EQ((Lines{s.searchString, s.verMin, s.verMax, s.refContent, s.searchCmdLine}),
            (Lines{L"HKLM\\k", L"1", L"2", L"r", L"c"}));
}

std::wstring ExpandMarked(const std::wstring& location) { return L"<" + location + L">"; }

TEST(ConfigPrerequisite, LocationPrecedenceAndExpansion) {
  const ConfigDocument document =
      Ini(L"[PREREQUISITES]\nApp1=All\nApp2=SiteUrl\nApp3=UrlOnly\n[All]\nUrl=u\nOpenSite=o\nSetupFile=s\n"
          L"[SiteUrl]\nUrl=u\nOpenSite=o\nLanguageList=1033;\n[UrlOnly]\nUrl=u\n");
  ChainerOptions expanded = LoadedPrerequisites(document, ExpandMarked);
  ASSERT_EQ(expanded.prerequisites.size(), 3u);
  const auto& p = expanded.prerequisites;
  EXPECT_EQ((std::vector<SourceKind>{p[0].sourceKind, p[1].sourceKind, p[2].sourceKind}),
            (std::vector<SourceKind>{SourceKind::Package, SourceKind::Site, SourceKind::Download}));
  // Package paths are not expanded.
  EXPECT_EQ((Lines{p[0].location, p[1].location, p[2].location}), (Lines{L"s", L"<o>", L"<u>"}));
  EXPECT_TRUE(p[2].searches.empty());
  // A closed language list stays as it is; without one none is made up.
  EXPECT_EQ((Lines{p[1].languageList, p[2].languageList}), (Lines{L"1033;", L""}));
  EXPECT_EQ(LoadedPrerequisites(document).prerequisites[2].location, L"u");
}

TEST(ConfigPrerequisite, ListEndsAtFirstBrokenEntry) {
  const struct {
    const char* what;
    const wchar_t* lines;
    std::size_t loaded;
  } cases[] = {
      {"no list", L"", 0},
      {"no leading zeros", L"[PREREQUISITES]\nApp01=Good\n", 0},
      {"gap", L"[PREREQUISITES]\nApp1=Good\nApp3=Good\n", 1},
      {"missing section", L"[PREREQUISITES]\nApp1=Good\nApp2=Missing\nApp3=Good\n", 1},
      {"no location", L"[PREREQUISITES]\nApp1=Good\nApp2=No\nApp3=Good\n[No]\nSetupFile1=s\nsetupfile=s\n",
       1},
      {"search without string",
       L"[PREREQUISITES]\nApp1=Good\nApp2=No\nApp3=Good\n[No]\nUrl=u\nSearchType1=1\nSearchString2=x\n", 1},
      {"same section twice", L"[PREREQUISITES]\nApp1=Good\nApp2=Good\n", 2},
  };
  for (const auto& c : cases) {
    ConfigDocument document = Ini(c.lines);
    document.SetValue(L"Good", L"Url", L"u");
    ChainerOptions options = LoadedPrerequisites(document);
    EXPECT_EQ(options.prerequisites.size(), c.loaded) << c.what;
    for (const Prerequisite& p : options.prerequisites) EXPECT_EQ(p.name, L"Good") << c.what;
  }
}

TEST(ConfigSearches, NumberingGapEndsListFailureLeavesOutputAlone) {
  ConfigDocument document =
      Ini(L"[Gap]\nSearchType1=1\nSearchString1=a\nSearchType3=3\nSearchString3=c\n"
          L"[Broken]\nSearchType1=1\nSearchString1=a\nSearchType2=2\n[PREREQUISITES]\nApp1=Broken\n");
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

TEST(ConfigChainerSection, PresenceAndKeys) {
  ChainerSection chainer;
  chainer.logFile = L"preset";
  EXPECT_FALSE(LoadChainerSection(Ini(L"[prereq_chainer]\nLogFile=x\n"), chainer));
  EXPECT_EQ(chainer.logFile, L"preset");

  ChainerSection loaded;
  const std::wstring files = std::wstring(L"C:\\a") + L'\x01' + L"C:\\b";
  ASSERT_TRUE(LoadChainerSection(Ini(L"[PREREQ_CHAINER]\nCleanupFiles=" + files + L"\nLogFile=\n"), loaded));
  EXPECT_EQ((Lines{loaded.cleanupFiles, loaded.cleanupFolders, loaded.logFile}), (Lines{files, L"", L""}));
}

}  // namespace
}  // namespace tessaro
