// The product's own name and the window title made from it ("Tessaro
// Setup") are proven by the basic-UI scenarios; these are the other layouts
// of a version resource.
#include "ui/product_name.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tessaro {
namespace {

using test_support::BinPath;

TEST(ProductName, ReadUnderTheFirstListedTranslationOrUsEnglish1250) {
  // Listed first is German, although a US English block exists as well.
  EXPECT_EQ(ReadProductName(BinPath(L"string_table.exe")), L"Deutscher Name");
  // No translation listed at all.
  EXPECT_EQ(ReadProductName(BinPath(L"untranslated_version.exe")), L"Fallback Name");
  for (const std::wstring& nothing :
       {BinPath(L"plain_program.exe"), BinPath(L"no_such.exe"), std::wstring()}) {
    EXPECT_EQ(ReadProductName(nothing), L"");
  }
}

}  // namespace
}  // namespace tessaro
