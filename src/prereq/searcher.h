#pragma once
// One search: looks at one kind of evidence and fills a SearchResult. No
// search reports an error; what cannot be read is simply not found.
#include <vector>

#include "config/prerequisite.h"
#include "prereq/version.h"

namespace tessaro {

class PackageFiles;

class Searcher {
 public:
  explicit Searcher(const PackageFiles* packageFiles) : packageFiles_(packageFiles) {}

  // Types 0-9, 11, 12; any other type does nothing.
  void RunSearch(const PrereqSearch& search, bool use64BitView, SearchResult& result);
  // Type 10: a check program from the package; found when it exits with 0.
  void RunPackageProgramSearch(const PrereqSearch& search, SearchResult& result,
                               const std::vector<Prerequisite>& prerequisites);

 private:
  const PackageFiles* packageFiles_;
  VersionValue min_;
  VersionValue max_;
};

}  // namespace tessaro
