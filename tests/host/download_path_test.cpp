#include "package/download_path.h"
#include "platform/path_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaro {
namespace {

// |pairs| alternates a URL and the file name expected from it.
void ExpectNames(const std::vector<std::wstring>& pairs) {
  for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
    EXPECT_EQ(FileNameFromUrl(pairs[i]), pairs[i + 1]) << testing::PrintToString(pairs[i]);
  }
}

TEST(FileNameFromUrl, TakesTheLastPathComponentUpToItsExtension) {
  ExpectNames({L"http://host/dir/setup.exe", L"setup.exe", L"\\\\server\\share\\pkg\\setup.exe", L"setup.exe",
               L"setup.exe", L"setup.exe", L"http://host/dir/README", L"README", L"", L""});
  // What follows the extension up to a separator is cut.
  ExpectNames({L"http://host/setup.exe?lang=en", L"setup.exe", L"http://host/file.?x", L"file.",
               // The last dot lies in the query, and "=" is no separator.
               L"http://host/get.php?file=setup.exe", L"file=setup.exe",
               // "#" and "&" are allowed in file names, so they stay.
               L"http://host/a.exe#frag", L"a.exe#frag"});
  // A separator at the end or a second scheme mark give no name.
  ExpectNames({L"http://localhost/dir/", L"", L"abc://", L"",
               // A dot earlier in the URL moves the end to the separator after it.
               L"http://example.com/dir/", L"example.com", L"http://localhost/go?to=http://other/setup.exe",
               L"", L"a://b://x.exe", L"",
               // The second mark is looked for from one character past the first one's end.
               L"a://://x.exe", L"x.exe", L"a:///x.exe", L"x.exe"});
}

TEST(FileNameFromUrl, LongNamesKeepTheirLast41Characters) {
  const std::wstring name41 = std::wstring(37, L'n') + L".exe";
  const std::wstring name42 = L"X" + name41;
  ExpectNames({L"http://host/" + name41, name41, L"http://host/" + name42, name41, name42, name41,
               // A separator exactly 41 characters before the end still counts.
               L"h/" + name41.substr(1), name41.substr(1)});
}

TEST(MakeDownloadPath, FolderTextGivesSubFolderAndFileName) {
  const std::wstring url = L"http://host/dir/setup.exe";
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl", url, L""), L"C:\\dl\\setup.exe");
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl\\", url, L"tools\\"), L"C:\\dl\\tools\\setup.exe");
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl\\", url, L"tools?"), L"C:\\dl\\tools\\setup.exe");
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl\\", url, L"a\\b?c?d"), L"C:\\dl\\a\\b\\c?d");
  // Empty parts add no backslash; without a name from the URL the path is the folder itself.
  EXPECT_EQ(MakeDownloadPath(L"", url, L""), L"setup.exe");
  EXPECT_EQ(MakeDownloadPath(L"", url, L"sub"), L"sub\\setup.exe");
  EXPECT_EQ(MakeDownloadPath(L"C:\\dl", L"http://localhost/dir/", L""), L"C:\\dl\\");
  EXPECT_EQ(MakeDownloadPath(L"", L"", L""), L"");
}

// A drive after the slashes is a local path; anything else names a host, and
// so a share: the evaluation, the install step and the engine all read it so.
TEST(FileUrlLocalPath, ADriveIsLocalAHostNamesItsShare) {
  const struct {
    const wchar_t* url;
    const wchar_t* path;
  } cases[] = {
      {L"file:///C:/dir/setup.exe", L"C:\\dir\\setup.exe"},
      {L"FILE://c:\\dir/setup.exe", L"c:\\dir\\setup.exe"},
      {L"file://server/share/tools/setup.exe", L"\\\\server\\share\\tools\\setup.exe"},
      {L"File:////server/share/setup.exe", L"\\\\server\\share\\setup.exe"},
      {L"file://1:/x", L"\\\\1:\\x"},  // only a letter makes a drive
      {L"file:///", L""},
      {L"file:/C:/x", L""},
      {L"http://server/share/setup.exe", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(FileUrlLocalPath(c.url), c.path) << c.url;
  EXPECT_TRUE(IsAbsolutePath(L"C:setup.exe") && IsAbsolutePath(L"\\\\server\\share\\setup.exe"));
  EXPECT_FALSE(IsAbsolutePath(L"\\setup.exe") || IsAbsolutePath(L"C") || IsAbsolutePath(L""));
}

}  // namespace
}  // namespace tessaro
