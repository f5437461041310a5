#pragma once
// The letters of the two "Options" keys, in one place: every reader takes
// its letter from here, and the checker knows that a letter missing from
// these lists is read by nothing.
#include <string_view>

namespace tessaro {

// [GeneralOptions] Options
inline constexpr wchar_t kOptionSilent = L'q';
inline constexpr wchar_t kOptionBasicUi = L'b';
inline constexpr std::wstring_view kGeneralOptionLetters = L"qb";

// A prerequisite's Options (case-sensitive, anywhere in the text)
inline constexpr wchar_t kOptionMandatory = L'm';
inline constexpr wchar_t kOptionSkipSearches = L'i';
inline constexpr wchar_t kOptionUse64BitView = L'x';
inline constexpr wchar_t kOptionReboot = L'r';
inline constexpr wchar_t kOptionRebootIfFound = L'R';  // only beside "r"
inline constexpr std::wstring_view kPrerequisiteOptionLetters = L"mixrR";

}  // namespace tessaro
