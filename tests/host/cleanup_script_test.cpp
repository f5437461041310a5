#include "core/cleanup_script.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

// The expected scripts are written out as cmd.exe reads them, not in the
// templates' printf notation, so that a slip in either shows.
TEST(CleanupScript, EachTemplateByteForByte) {
  const std::string target = "C:\\PROGRA~1\\MYAPP~1";
  const std::string script = "C:\\Temp\\EXE1A2B.bat";
  const struct {
    bool isFolder;
    std::uint32_t retries;
    const char* expected;
  } cases[] = {
      {true, kUnlimitedRetries,
       "@echo off \r\n%SystemRoot%\\System32\\attrib.exe -r \"C:\\PROGRA~1\\MYAPP~1\" \r\n:try \r\n"
       "rd \"C:\\PROGRA~1\\MYAPP~1\" \r\nif exist \"C:\\PROGRA~1\\MYAPP~1\" goto try\r\n"
       "%SystemRoot%\\System32\\attrib.exe -r \"C:\\Temp\\EXE1A2B.bat\" \r\ndel \"C:\\Temp\\EXE1A2B.bat\" | cls"},
      {false, kUnlimitedRetries,
       "@echo off \r\n%SystemRoot%\\System32\\attrib.exe -r \"C:\\PROGRA~1\\MYAPP~1\" \r\n:try \r\n"
       "del \"C:\\PROGRA~1\\MYAPP~1\" \r\nif exist \"C:\\PROGRA~1\\MYAPP~1\" goto try\r\n"
       "%SystemRoot%\\System32\\attrib.exe -r \"C:\\Temp\\EXE1A2B.bat\" \r\ndel \"C:\\Temp\\EXE1A2B.bat\" | cls"},
      {true, 100,
       "@echo off \r\n%SystemRoot%\\System32\\attrib.exe -r \"C:\\PROGRA~1\\MYAPP~1\" \r\nSET count=0 \r\n"
       ":try \r\n%SystemRoot%\\System32\\timeout.exe  5 \r\nSET /a count=%count%+1\r\n"
       "rd \"C:\\PROGRA~1\\MYAPP~1\" \r\nif %count% GTR 100 goto break\r\n"
       "if exist \"C:\\PROGRA~1\\MYAPP~1\" goto try\r\n:break \r\n"
       "%SystemRoot%\\System32\\attrib.exe -r \"C:\\Temp\\EXE1A2B.bat\" \r\ndel \"C:\\Temp\\EXE1A2B.bat\" | cls"},
      {false, 4294967295u,
       "@echo off \r\n%SystemRoot%\\System32\\attrib.exe -r \"C:\\PROGRA~1\\MYAPP~1\" \r\nSET count=0 \r\n"
       ":try \r\n%SystemRoot%\\System32\\timeout.exe 5 \r\nSET /a count=%count%+1\r\n"
       "del \"C:\\PROGRA~1\\MYAPP~1\" \r\nif %count% GTR 4294967295 goto break\r\n"
       "if exist \"C:\\PROGRA~1\\MYAPP~1\" goto try\r\n:break \r\n"
       "%SystemRoot%\\System32\\attrib.exe -r \"C:\\Temp\\EXE1A2B.bat\" \r\ndel \"C:\\Temp\\EXE1A2B.bat\" | cls"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CleanupScriptText(target, c.isFolder, c.retries, script), c.expected)
        << (c.isFolder ? "folder, " : "file, ") << c.retries;
  }
}

TEST(CleanupScript, PathsAreCopiedAsTheyAre) {
  // A percent sign or a non-ASCII byte in a path is not a conversion.
  const std::string text = CleanupScriptText("C:\\A%s%%\xE9", false, 1, "");
  EXPECT_NE(text.find("del \"C:\\A%s%%\xE9\" \r\nif %count% GTR 1 goto"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("del \"\" | cls")) << text;
}

}  // namespace
}  // namespace tessaro
