#pragma once
// One search: looks at one kind of evidence and fills a SearchResult. No
// search reports an error; what cannot be read is simply not found.
#include <string>
#include <vector>

#include "config/prerequisite.h"
#include "prereq/version.h"

namespace tessaro {

class EvaluationObserver;
class FileVersionReader;
class PackageFiles;

class Searcher {
 public:
  explicit Searcher(const PackageFiles* packageFiles) : packageFiles_(packageFiles) {}
  void SetObserver(EvaluationObserver* observer) { observer_ = observer; }

  // Types 0-9, 11, 12; any other type does nothing.
  void RunSearch(const PrereqSearch& search, bool use64BitView, SearchResult& result);
  // Type 10: a check program from the package; found when it exits with 0.
  void RunPackageProgramSearch(const PrereqSearch& search, SearchResult& result,
                               const std::vector<Prerequisite>& prerequisites);

 private:
  void SearchFiles(const std::wstring& searchString, bool use64BitView, SearchResult& result);
  // True when a version within the bounds was found: the whole search ends.
  bool SearchFolder(const std::wstring& folder, const std::wstring& fileName, int depth,
                    const FileVersionReader& versions, SearchResult& result);

  const PackageFiles* packageFiles_;
  EvaluationObserver* observer_ = nullptr;
  VersionValue min_;
  VersionValue max_;
};

}  // namespace tessaro
