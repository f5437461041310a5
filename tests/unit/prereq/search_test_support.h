#pragma once
// One-line searches for the prerequisite tests.
#include <string>
#include <vector>

#include "config/prerequisite.h"
#include "prereq/searcher.h"
#include "test_support.h"

namespace tessaro::test_support {

using Texts = std::vector<std::wstring>;

inline PrereqSearch Search(std::int32_t type, const std::wstring& searchString, const std::wstring& verMin = {},
                           const std::wstring& refContent = {}) {
  PrereqSearch search;
  search.type = type;
  search.searchString = searchString;
  search.verMin = verMin;
  search.refContent = refContent;
  return search;
}

inline SearchResult RunOnce(std::int32_t type, const std::wstring& searchString, const std::wstring& verMin = {},
                            bool use64BitView = false) {
  Searcher searcher(nullptr);
  SearchResult result;
  searcher.RunSearch(Search(type, searchString, verMin), use64BitView, result);
  return result;
}

}  // namespace tessaro::test_support
