#pragma once
// The decision for each prerequisite on the machine the checker runs on,
// told step by step: the product's own evaluator decides, and reports what
// it saw through its observer (Windows builds only).
#include <cstddef>
#include <string>
#include <vector>

#include "config/chainer_options.h"
#include "prereq/evaluation_observer.h"

namespace tessaro {

class DecisionExplainer final : private EvaluationObserver {
 public:
  // Evaluates every prerequisite of |options| as a run of the program beside
  // |configPath| would, and nothing more: no setup runs, nothing is
  // downloaded, logged or written to the registry.
  [[nodiscard]] std::wstring Explain(ChainerOptions& options, const std::wstring& configPath);

 private:
  void Filtered(const Prerequisite& record, bool osPasses, bool languagePasses) override;
  void FileLooked(const std::wstring& path) override;
  void FileSeen(const std::wstring& path, const std::wstring& version) override;
  void ComponentSeen(const std::wstring& componentCode, int installState) override;
  void ProgramRan(const std::wstring& program, const std::wstring& parameters, bool launched,
                  unsigned long exitCode) override;
  void SearchJudged(const PrereqSearch& search, const SearchResult& result, bool verdict) override;

  [[nodiscard]] std::wstring Links(const Prerequisite& record) const;

  const std::vector<Prerequisite>* records_ = nullptr;
  std::vector<std::wstring> told_;  // what evaluation told of each record, by index
  std::size_t current_ = 0;
  std::size_t searchNumber_ = 0;
  std::wstring evidence_;  // what the running search has seen so far
};

}  // namespace tessaro
