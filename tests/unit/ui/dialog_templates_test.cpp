#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <string>

#include "test_binaries.h"
#include "ui/resources/resource_ids.h"

namespace tessaro {
namespace {

struct TemplateControl {
  DWORD style;
  std::wstring className;
};

// Reads the controls of an extended dialog template as the dialog manager
// would, without creating a window (the tests run without a display).
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : at_(data), start_(data) {}

  std::map<DWORD, TemplateControl> Controls() {
    at_ += 2 + 2 + 4 + 4;  // version, signature, help id, extended style
    const DWORD style = Read<DWORD>();
    const WORD count = Read<WORD>();
    at_ += 4 * 2;                                     // position and size
    for (int i = 0; i < 3; ++i) ReadNameOrOrdinal();  // menu, class, caption
    if (style & DS_SETFONT) {
      at_ += 2 + 2 + 1 + 1;  // point size, weight, italic, character set
      ReadNameOrOrdinal();   // typeface
    }
    std::map<DWORD, TemplateControl> controls;
    for (WORD i = 0; i < count; ++i) {
      at_ += (4 - (at_ - start_) % 4) % 4 + 4 + 4;  // alignment, help id, extended style
      TemplateControl control;
      control.style = Read<DWORD>();
      at_ += 4 * 2;
      const DWORD id = Read<DWORD>();
      control.className = ReadNameOrOrdinal();
      ReadNameOrOrdinal();  // text
      at_ += Read<WORD>();  // creation data
      controls[id] = control;
    }
    return controls;
  }

 private:
  template <typename T>
  T Read() {
    T value;
    std::memcpy(&value, at_, sizeof(T));
    at_ += sizeof(T);
    return value;
  }
  std::wstring ReadNameOrOrdinal() {
    const WORD first = Read<WORD>();
    if (first == 0xFFFF) {  // predefined classes by ordinal
      const WORD ordinal = Read<WORD>();
      return ordinal == 0x0080 ? L"Button" : ordinal == 0x0082 ? L"Static" : L"?";
    }
    std::wstring text;
    for (WORD c = first; c != 0; c = Read<WORD>()) text += static_cast<wchar_t>(c);
    return text;
  }

  const BYTE* at_;
  const BYTE* start_;
};

std::map<DWORD, TemplateControl> ControlsOf(HMODULE program, int id) {
  HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
  if (found == nullptr) return {};
  auto* data = static_cast<const BYTE*>(LockResource(LoadResource(program, found)));
  return data == nullptr ? std::map<DWORD, TemplateControl>{} : TemplateReader(data).Controls();
}

TEST(DialogTemplates, ControlsCarryTheIdsTheCodeUses) {
  const UniqueModule program = testbin::LoadAsData(L"tessaro.exe");
  ASSERT_TRUE(program);

  auto preparing = ControlsOf(program.Get(), IDD_PREPARING);
  ASSERT_EQ(preparing.size(), 2u);
  EXPECT_EQ(preparing[IDC_PREPARING_TEXT].className, L"Static");
  EXPECT_EQ(preparing[IDCANCEL].className, L"Button");
  EXPECT_FALSE(preparing[IDCANCEL].style & WS_VISIBLE) << "Skip must start hidden";

  auto progress = ControlsOf(program.Get(), IDD_PROGRESS);
  ASSERT_EQ(progress.size(), 3u);
  EXPECT_EQ(progress[IDC_PROGRESS_STATUS].className, L"Static");
  // Class names are case-insensitive; the resource compiler stores capitals.
  EXPECT_EQ(_wcsicmp(progress[IDC_PROGRESS_BAR].className.c_str(), L"msctls_progress32"), 0);
  EXPECT_EQ(progress[IDCANCEL].className, L"Button");
  EXPECT_TRUE(progress[IDCANCEL].style & WS_VISIBLE);
}

}  // namespace
}  // namespace tessaro
