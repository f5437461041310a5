#pragma once
// What evaluation saw and decided, for the author's checker: each
// prerequisite's filters, the evidence its searches found and each search's
// verdict. The product sets no observer; the rules stay in the evaluator and
// the searcher, and the checker only tells what they did.
#include <string>

#include "config/prerequisite.h"

namespace tessaro {

class EvaluationObserver {
 public:
  virtual ~EvaluationObserver() = default;
  // Called first for every evaluated record; the language list is tested
  // only when the OS list passed.
  virtual void Filtered(const Prerequisite& record, bool osPasses, bool languagePasses) = 0;
  // A place a file search looks at, after property expansion.
  virtual void FileLooked(const std::wstring& path) = 0;
  // A file that is there, and its version ("0.0.0.0" without a version resource).
  virtual void FileSeen(const std::wstring& path, const std::wstring& version) = 0;
  virtual void ComponentSeen(const std::wstring& componentCode, int installState) = 0;
  virtual void ProgramRan(const std::wstring& program, const std::wstring& parameters, bool launched,
                          unsigned long exitCode) = 0;
  // One search as it ran, what it found (before its verdict replaces the
  // found flag) and its verdict.
  virtual void SearchJudged(const PrereqSearch& search, const SearchResult& result, bool verdict) = 0;
};

}  // namespace tessaro
