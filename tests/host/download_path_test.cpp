#include "download/download_path.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

TEST(FileNameFromUrl, TakesTheLastPathComponent) {
  EXPECT_EQ(FileNameFromUrl(L"http://host/dir/setup.exe"), L"setup.exe");
  EXPECT_EQ(FileNameFromUrl(L"ftp://user:pw@host:21/a/b/c/Runtime.msi"), L"Runtime.msi");
  EXPECT_EQ(FileNameFromUrl(L"\\\\server\\share\\pkg\\setup.exe"), L"setup.exe");
  EXPECT_EQ(FileNameFromUrl(L"file://C:/pkg/setup.exe"), L"setup.exe");
  EXPECT_EQ(FileNameFromUrl(L"setup.exe"), L"setup.exe");
  EXPECT_EQ(FileNameFromUrl(L"http://host/dir/README"), L"README");
  EXPECT_EQ(FileNameFromUrl(L""), L"");
}

TEST(FileNameFromUrl, WhatFollowsTheExtensionUpToASeparatorIsCut) {
  EXPECT_EQ(FileNameFromUrl(L"http://host/setup.exe?lang=en"), L"setup.exe");
  EXPECT_EQ(FileNameFromUrl(L"http://host/setup.exe|x"), L"setup.exe");
  EXPECT_EQ(FileNameFromUrl(L"http://host/file.?x"), L"file.");
  // The last dot lies in the query, and "=" is no separator.
  EXPECT_EQ(FileNameFromUrl(L"http://host/get.php?file=setup.exe"), L"file=setup.exe");
  // "#" and "&" are allowed in file names, so they stay.
  EXPECT_EQ(FileNameFromUrl(L"http://host/a.exe#frag"), L"a.exe#frag");
}

TEST(FileNameFromUrl, NoNameWhenTheUrlEndsInASeparator) {
  EXPECT_EQ(FileNameFromUrl(L"http://localhost/dir/"), L"");
  EXPECT_EQ(FileNameFromUrl(L"http://localhost:8080/"), L"");
  EXPECT_EQ(FileNameFromUrl(L"abc://"), L"");
  // A dot earlier in the URL moves the end to the separator after it: the
  // host name then becomes the file name.
  EXPECT_EQ(FileNameFromUrl(L"http://example.com/dir/"), L"example.com");
}

TEST(FileNameFromUrl, ASecondSchemeMarkEndsTheNameOnItsColon) {
  EXPECT_EQ(FileNameFromUrl(L"http://localhost/go?to=http://other/setup.exe"), L"");
  EXPECT_EQ(FileNameFromUrl(L"a://b://x.exe"), L"");
  // The second mark is looked for from one character past the first one's
  // end, so marks that share their ":" with the first are not seen.
  EXPECT_EQ(FileNameFromUrl(L"a://://x.exe"), L"x.exe");
  EXPECT_EQ(FileNameFromUrl(L"a:///x.exe"), L"x.exe");
}

TEST(FileNameFromUrl, LongNamesKeepTheirLast41Characters) {
  const std::wstring name37 = std::wstring(33, L'n') + L".exe";
  const std::wstring name41 = std::wstring(37, L'n') + L".exe";
  const std::wstring name42 = L"X" + name41;
  EXPECT_EQ(FileNameFromUrl(L"http://host/" + name37), name37);
  EXPECT_EQ(FileNameFromUrl(L"http://host/" + name41), name41);
  EXPECT_EQ(FileNameFromUrl(L"http://host/" + name42), name41);
  EXPECT_EQ(FileNameFromUrl(L"http://host/" + name42 + L"?q=1"), name41);
  EXPECT_EQ(FileNameFromUrl(name42), name41);
  EXPECT_EQ(FileNameFromUrl(name41), name41);
  // A separator exactly 41 characters before the end still counts.
  const std::wstring name40 = name41.substr(1);
  EXPECT_EQ(FileNameFromUrl(L"h/" + name40), name40);
}

TEST(MakeDownloadPath, FolderTextGivesSubFolderAndFileName) {
  const std::wstring url = L"http://host/dir/setup.exe";
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl", url, L""), L"C:\\dl\\setup.exe");
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl\\", url, L"tools"), L"C:\\dl\\tools\\setup.exe");
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl\\", url, L"tools\\"), L"C:\\dl\\tools\\setup.exe");
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl\\", url, L"tools?my.exe"), L"C:\\dl\\tools\\my.exe");
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl\\", url, L"?my.exe"), L"C:\\dl\\my.exe");
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl\\", url, L"tools?"), L"C:\\dl\\tools\\setup.exe");
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl\\", url, L"a\\b?c?d"), L"C:\\dl\\a\\b\\c?d");
}

TEST(MakeDownloadPath, EmptyPartsAddNoBackslash) {
  EXPECT_EQ(MakeDownloadPath(L"", L"http://host/setup.exe", L""), L"setup.exe");
  EXPECT_EQ(MakeDownloadPath(L"", L"http://host/setup.exe", L"sub"), L"sub\\setup.exe");
  // No name from the URL: the path is the folder itself, and a download there fails.
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl", L"http://localhost/dir/", L""), L"C:\\dl\\");
  EXPECT_EQ(MakeDownloadPath(L"", L"", L""), L"");
}

}  // namespace
}  // namespace tessaro
