#pragma once
// Texts the user sees come from the executable's string table, in the
// user's language; windows are shown only while UiEnabled is set.
#include <windows.h>

#include <string>

#include "ui/res_text.h"
#include "ui/resources/resource_ids.h"

namespace tessaro {

// False until start-up has read the options; then "not silent", for good.
extern bool UiEnabled;

// A loaded text holds at most this many characters less one (the terminator).
inline constexpr int kResStringBufferLength = 1300;

// The text of a string id in the executable's own string table, in the
// user's UI language where the table has it, else in English; empty when
// there is no such id.
[[nodiscard]] std::wstring LoadResString(UINT id);
// The same from any module holding a string table (tests load the program
// as a data file).
[[nodiscard]] std::wstring LoadResString(HMODULE module, UINT id);

// LoadResString and FormatResText in one.
[[nodiscard]] std::wstring FormatResString(UINT id, const std::wstring& argument);

}  // namespace tessaro
