// The product's own name, and the title made from it, show in the basic-UI
// scenarios; these are the other layouts of a version resource.
#include "ui/product_name.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tessaro {
namespace {

using test_support::BinPath;

TEST(ProductName, ReadUnderTheFirstListedTranslationOrUsEnglish1250) {
  // Listed first is German, although a US English block exists as well.
  EXPECT_EQ(ReadProductName(BinPath(L"string_table.exe")), L"Deutscher Name");
  EXPECT_EQ(ReadProductName(BinPath(L"untranslated_version.exe")), L"Fallback Name");  // none listed
  for (const std::wstring& nothing :
       {BinPath(L"plain_program.exe"), BinPath(L"no_such.exe"), std::wstring()}) {
    EXPECT_EQ(ReadProductName(nothing), L"");
  }
}

}  // namespace
}  // namespace tessaro
