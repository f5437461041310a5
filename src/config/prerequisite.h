#pragma once
// The record of one prerequisite as loaded from its section, and the state
// that evaluation gives it. Plain data: the decision lives with the evaluator.
#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {

enum class PrereqState : int {
  Found = 0,
  InstallFromPackage = 1,
  MustDownload = 2,
  OpenSiteManually = 3,
  OsNotSupported = 4,
  AlreadyDownloaded = 5,
  NotFound = 6,
  NotSelected = 7,
  Undefined = 8,
};

enum class SourceKind : int { Package = 0, Download = 1, Site = 2 };

// The kinds of search a "SearchType" names; other numbers search nothing.
enum SearchType : std::int32_t {
  kFileVersion = 0,
  kSubkeyNames = 1,
  kValueData = 2,
  kProductVersion = 3,
  kRelatedProducts = 4,
  kKeyExists = 5,
  kKeyMissing = 6,
  kValueExists = 7,
  kValueMissing = 8,
  kValueContent = 9,
  kPackageProgram = 10,
  kComponentInstalled = 11,
  kValueNames = 12,
};

// A type outside the list runs no search, and its outcome is always true.
[[nodiscard]] constexpr bool IsKnownSearchType(std::int32_t type) { return type >= kFileVersion && type <= kValueNames; }

// "Operator": how a prerequisite's search outcomes combine. Any other value
// combines nothing, and the searches never find the prerequisite.
inline constexpr std::int32_t kOperatorAll = 0;
inline constexpr std::int32_t kOperatorAny = 1;

struct PrereqSearch {
  std::int32_t type = kFileVersion;
  std::wstring searchString;
  std::wstring verMin;
  std::wstring verMax;
  std::wstring refContent;
  std::wstring searchCmdLine;
};

struct SearchResult {
  std::vector<std::wstring> foundTexts;
  std::wstring value;
  bool found = false;
};

struct Prerequisite {
  std::wstring name;
  std::wstring verMin;
  std::wstring verMax;
  std::wstring location;
  SourceKind sourceKind = SourceKind::Package;
  std::wstring commandLine;
  std::wstring basicUiCommandLine;
  std::wstring noUiCommandLine;
  std::wstring options;
  std::wstring md5;
  std::wstring sha256;  // optional, checked after the size and "MD5"
  std::wstring signer;  // optional: the signing certificate's common name, checked last
  std::uint32_t exactSize = 0;
  std::wstring folder;
  std::wstring retValPropName;
  // Return codes beyond 0 that mean installed, and those that mean installed
  // with a restart needed; empty lists keep 0 as the only success.
  std::vector<std::uint32_t> successCodes;
  std::vector<std::uint32_t> rebootCodes;
  std::wstring parentPrereq;
  std::int32_t op = 0;  // "Operator": 0 all searches, 1 any
  std::vector<PrereqSearch> searches;
  std::wstring winNtVersions;
  std::wstring winNt64Versions;
  std::wstring languageList;
  std::vector<SearchResult> searchResults;
  PrereqState state = PrereqState::Undefined;
  PrereqState firstState = PrereqState::Undefined;
  bool alreadyDownloaded = false;
  bool selected = false;
  bool skipSearches = false;

  [[nodiscard]] bool HasOption(wchar_t letter) const { return options.find(letter) != std::wstring::npos; }
};

// The log text of a state; "Undefined" for any value outside Found..NotSelected.
[[nodiscard]] const wchar_t* PrereqStateText(PrereqState state);

}  // namespace tessaro
