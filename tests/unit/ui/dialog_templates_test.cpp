#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_binaries.h"
#include "ui/resources/resource_ids.h"

namespace tessaro {
namespace {

using testbin::LoadAsData;

struct TemplateControl {
  DWORD id;
  DWORD style;
  std::wstring className;
};

// Reads the controls of an extended dialog template as the dialog manager
// would, without creating a window (the tests run without a display).
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : at_(data), start_(data) {}

  std::vector<TemplateControl> Controls() {
    Skip(2 + 2 + 4 + 4);  // version, signature, help id, extended style
    const DWORD style = Read<DWORD>();
    const WORD count = Read<WORD>();
    Skip(4 * 2);  // position and size
    SkipNameOrOrdinal();  // menu
    SkipNameOrOrdinal();  // class
    SkipNameOrOrdinal();  // caption
    if (style & DS_SETFONT) {
      Skip(2 + 2 + 1 + 1);  // point size, weight, italic, character set
      SkipNameOrOrdinal();  // typeface
    }
    std::vector<TemplateControl> controls;
    for (WORD i = 0; i < count; ++i) {
      AlignTo4();
      TemplateControl control;
      Skip(4 + 4);  // help id, extended style
      control.style = Read<DWORD>();
      Skip(4 * 2);
      control.id = Read<DWORD>();
      control.className = ReadNameOrOrdinal();
      SkipNameOrOrdinal();  // text
      Skip(Read<WORD>());   // creation data
      controls.push_back(control);
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
  void Skip(std::size_t bytes) { at_ += bytes; }
  void AlignTo4() { at_ += (4 - (at_ - start_) % 4) % 4; }
  std::wstring ReadNameOrOrdinal() {
    const WORD first = Read<WORD>();
    if (first == 0xFFFF) {
      // Predefined classes by ordinal.
      switch (Read<WORD>()) {
        case 0x0080: return L"Button";
        case 0x0082: return L"Static";
        default: return L"?";
      }
    }
    std::wstring text;
    for (WORD c = first; c != 0; c = Read<WORD>()) text += static_cast<wchar_t>(c);
    return text;
  }
  void SkipNameOrOrdinal() { (void)ReadNameOrOrdinal(); }

  const BYTE* at_;
  const BYTE* start_;
};

std::vector<TemplateControl> ControlsOf(HMODULE program, int id) {
  HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
  if (found == nullptr) return {};
  auto* data = static_cast<const BYTE*>(LockResource(LoadResource(program, found)));
  if (data == nullptr) return {};
  return TemplateReader(data).Controls();
}

const TemplateControl* Find(const std::vector<TemplateControl>& controls, DWORD id) {
  for (const TemplateControl& control : controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

TEST(DialogTemplates, ControlsCarryTheIdsTheCodeUses) {
  const UniqueModule program = LoadAsData(L"tessaro.exe");
  ASSERT_TRUE(program);

  const std::vector<TemplateControl> preparing = ControlsOf(program.Get(), IDD_PREPARING);
  ASSERT_EQ(preparing.size(), 2u);
  const TemplateControl* text = Find(preparing, IDC_PREPARING_TEXT);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->className, L"Static");
  const TemplateControl* skip = Find(preparing, IDCANCEL);
  ASSERT_NE(skip, nullptr);
  EXPECT_EQ(skip->className, L"Button");
  EXPECT_FALSE(skip->style & WS_VISIBLE) << "Skip must start hidden";

  const std::vector<TemplateControl> progress = ControlsOf(program.Get(), IDD_PROGRESS);
  ASSERT_EQ(progress.size(), 3u);
  const TemplateControl* status = Find(progress, IDC_PROGRESS_STATUS);
  const TemplateControl* bar = Find(progress, IDC_PROGRESS_BAR);
  const TemplateControl* cancel = Find(progress, IDCANCEL);
  ASSERT_TRUE(status && bar && cancel);
  EXPECT_EQ(status->className, L"Static");
  // Class names are case-insensitive; the resource compiler stores capitals.
  EXPECT_EQ(_wcsicmp(bar->className.c_str(), L"msctls_progress32"), 0) << bar->className;
  EXPECT_EQ(cancel->className, L"Button");
  EXPECT_TRUE(cancel->style & WS_VISIBLE);
}

}  // namespace
}  // namespace tessaro
