#pragma once
// Loads a configuration file's bytes the way Tessaro does, with the product's
// own parser and loaders, and turns what they reported into findings an
// author can act on.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/chainer_options.h"
#include "config/config_document.h"
#include "config/load_observer.h"
#include "config/options_loader.h"

namespace tessaro {

// The folder of the checked file, asked what it holds.
class PackageFolder {
 public:
  virtual ~PackageFolder() = default;
  // Whether |name| (relative, "\" between folders) lies in the folder.
  [[nodiscard]] virtual bool Holds(const std::wstring& name) const = 0;
  // Whether the program the configuration belongs to lies there ("setup.exe"
  // beside "setup.ini").
  [[nodiscard]] virtual bool HoldsProgram() const = 0;
};

struct Finding {
  int line = 0;  // 0: about the whole file
  std::wstring text;
};

class ConfigCheck : private LoadObserver {
 public:
  // |bytes| is the whole file, byte-order mark included. With a |folder|,
  // the files the package must hold are looked for in it; |expand| expands
  // locations as a run on this machine would.
  void Run(const unsigned char* bytes, std::size_t count, const PackageFolder* folder = nullptr,
           LocationExpander expand = nullptr);

  [[nodiscard]] const std::vector<Finding>& Findings() const { return findings_; }
  [[nodiscard]] const ChainerOptions& Options() const { return options_; }
  [[nodiscard]] const ConfigDocument& Document() const { return document_; }
  // Null without a "PREREQ_CHAINER" section.
  [[nodiscard]] const ChainerSection* Chainer() const { return hasChainer_ ? &chainer_ : nullptr; }

 private:
  struct Note {
    LoadEvent event;
    int line;
    std::wstring subject;
  };

  void EntryRead(const ConfigEntry& entry) override;
  void KeyAsked(const ConfigSection& section, const std::wstring& key) override;
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
  void ReportDownloadName(const Prerequisite& record, const ConfigSection& section);
  void ReportUiLevel();
  void ReportCleanup();
  void ReportPackageFiles(const PackageFolder& folder);
  void ReportLetters(const std::wstring& letters, std::wstring_view known, const ConfigEntry* entry);
  void Add(int line, std::wstring text);

  [[nodiscard]] bool WasRead(const ConfigEntry& entry) const;
  [[nodiscard]] bool IsCutOff(const ConfigSection& section) const;
  [[nodiscard]] const ConfigSection* SectionOfLine(int line) const;
  [[nodiscard]] const ConfigEntry* EntryAt(int line) const;
  // The key a loader asked for that |key| is a slip of; empty when none.
  [[nodiscard]] std::wstring NearMiss(const ConfigSection& section, const std::wstring& key) const;

  ConfigDocument document_;
  ChainerOptions options_;
  ChainerSection chainer_;
  bool hasChainer_ = false;
  std::vector<const ConfigEntry*> read_;
  std::vector<std::pair<const ConfigSection*, std::wstring>> asked_;
  std::vector<Note> notes_;
  std::vector<Finding> findings_;
  bool markMissing_ = false;
  bool listCut_ = false;       // a broken entry ended the list of prerequisites
  std::wstring rejected_;      // the section of that entry, when it exists
};

}  // namespace tessaro
