#pragma once
// Loads a configuration file's bytes the way Tessaro does, with the product's
// own parser and loaders, and turns what they reported into findings an
// author can act on.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/chainer_options.h"
#include "config/config_document.h"
#include "config/load_observer.h"
#include "config/options_loader.h"

namespace tessaro {

struct Finding {
  int line = 0;  // 0: about the whole file
  std::wstring text;
};

class ConfigCheck : private LoadObserver {
 public:
  // |bytes| is the whole file, byte-order mark included.
  void Run(const unsigned char* bytes, std::size_t count);

  [[nodiscard]] const std::vector<Finding>& Findings() const { return findings_; }
  [[nodiscard]] const ChainerOptions& Options() const { return options_; }
  [[nodiscard]] const ConfigDocument& Document() const { return document_; }

 private:
  struct Note {
    LoadEvent event;
    int line;
    std::wstring subject;
  };

  void EntryRead(const ConfigEntry& entry) override;
  void Noted(LoadEvent event, int line, const std::wstring& subject) override;

  void ReportByteOrderMark(const unsigned char* bytes, std::size_t count);
  void ReportNotes();
  void ReportIgnoredLines();
  void ReportUnread();
  void ReportSectionUnread(const ConfigSection& section);
  void ReportPrerequisites();
  void ReportListedTwice();
  void ReportSearches(const Prerequisite& record, const ConfigSection& section);
  void ReportDigestsAndOperator(const Prerequisite& record, const ConfigSection& section);
  void ReportOsLists(const Prerequisite& record, const ConfigSection& section, const std::vector<std::wstring>& known);
  void ReportLetters(const std::wstring& letters, std::wstring_view known, const ConfigEntry* entry);
  void Add(int line, std::wstring text);

  [[nodiscard]] bool WasRead(const ConfigEntry& entry) const;
  [[nodiscard]] bool IsCutOff(const ConfigSection& section) const;
  [[nodiscard]] const ConfigSection* SectionOfLine(int line) const;
  [[nodiscard]] const ConfigEntry* EntryAt(int line) const;

  ConfigDocument document_;
  ChainerOptions options_;
  ChainerSection chainer_;
  std::vector<const ConfigEntry*> read_;
  std::vector<Note> notes_;
  std::vector<Finding> findings_;
  bool markMissing_ = false;
  bool listCut_ = false;       // a broken entry ended the list of prerequisites
  std::wstring rejected_;      // the section of that entry, when it exists
};

}  // namespace tessaro
