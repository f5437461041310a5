#pragma once
// What reading a configuration really did, for the author's checker: every
// entry a loader looked at, and every place where text was dropped, cut
// short or read as something other than what it says. The product passes no
// observer; the rules stay in the parser and the loaders, and the checker
// only reports what they did.
#include <string>

#include "config/config_document.h"

namespace tessaro {

enum class LoadEvent : int {
  IgnoredOutsideSection,   // a line before the first header; subject: the line
  IgnoredWithoutSeparator, // a line in a section that holds no "="; subject: the line
  LoneLineBreak,           // a lone LF or CR inside a line: only CR LF ends lines
  NotADecimalNumber,       // read as its leading digits, or 0; subject: the key
  UnknownWord,             // a word key whose value is none of its words: read as absent
  NeverActedOn,            // a general key with a value that no step of a run uses; subject: the key
  ListedSectionMissing,    // "AppN" names no section: the list ends; subject: the name
  NoLocation,              // no SetupFile, OpenSite or Url: the list ends; subject: the section
  SearchWithoutString,     // "SearchTypeN" without "SearchStringN": the list ends; subject: the key
  NumberingEnds,           // a numbered list stops; subject: the first key not present
  NotAReturnCode,          // an item of a code list that is no number: skipped; subject: the key
  NotTrueOrFalse,          // a switch neither "true" nor "false" in any case: read as false; subject: the key
};

class LoadObserver {
 public:
  virtual ~LoadObserver() = default;
  virtual void EntryRead(const ConfigEntry& entry) = 0;
  // Every key a loader looks up in |section|, present or not.
  virtual void KeyAsked(const ConfigSection& section, const std::wstring& key) = 0;
  // |line| is 1-based; 0 when the event has no line of its own.
  virtual void Noted(LoadEvent event, int line, const std::wstring& subject) = 0;
};

}  // namespace tessaro
