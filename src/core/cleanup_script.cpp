#include "core/cleanup_script.h"

namespace tessaro {

namespace {

constexpr char kRounds[] = "100";
constexpr char kClearReadOnly[] = "%SystemRoot%\\System32\\attrib.exe -r ";
// Two blanks after "timeout.exe" in a folder's script and one in a file's:
// both have always been written so.
constexpr char kFolderPause[] = "%SystemRoot%\\System32\\timeout.exe  5 \r\n";
constexpr char kFilePause[] = "%SystemRoot%\\System32\\timeout.exe 5 \r\n";

std::string Quoted(const std::string& path) { return '"' + path + '"'; }

}  // namespace

std::string CleanupScriptText(const std::string& target, bool isFolder, const std::string& scriptPath) {
  const std::string quoted = Quoted(target);
  std::string text = "@echo off \r\n";
  text += kClearReadOnly + quoted + " \r\nSET count=0 \r\n:try \r\n";
  text += isFolder ? kFolderPause : kFilePause;
  text += "SET /a count=%count%+1\r\n";
  text += (isFolder ? "rd " : "del ") + quoted + " \r\n";
  text += std::string("if %count% GTR ") + kRounds + " goto break\r\n";
  text += "if exist " + quoted + " goto try\r\n:break \r\n";
  text += kClearReadOnly + Quoted(scriptPath) + " \r\ndel " + Quoted(scriptPath) + " | cls";
  return text;
}

}  // namespace tessaro
