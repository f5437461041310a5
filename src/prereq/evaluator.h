#pragma once
// The decision for each prerequisite: OS and language conditions, its
// searches combined by its operator, the resulting state, and which records
// are selected for processing (a selected child pulls its parent in).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/chainer_options.h"
#include "prereq/searcher.h"

namespace tessaro {

class EvaluationObserver;
class PackageFiles;

// True for the states that mean "must be processed": InstallFromPackage,
// MustDownload and OpenSiteManually.
[[nodiscard]] constexpr bool IsMissingState(PrereqState state) {
  return state == PrereqState::InstallFromPackage || state == PrereqState::MustDownload ||
         state == PrereqState::OpenSiteManually;
}

class PrereqEvaluator {
 public:
  PrereqEvaluator(ChainerOptions& options, const PackageFiles* packageFiles);
  // Told what every later evaluation sees and decides; none by default.
  void SetObserver(EvaluationObserver* observer);

  // Evaluates every record, then refreshes download presence and selection.
  void EvaluateAll();
  // Evaluates one record; always true.
  bool EvaluatePrerequisite(std::size_t index, bool reevaluate);
  // Runs |searches| into |results| and combines them: op 0 all, 1 any; any
  // other operator runs every search and yields false.
  [[nodiscard]] bool EvaluateSearches(const std::vector<PrereqSearch>& searches, std::vector<SearchResult>& results,
                                      std::int32_t op, bool use64BitView,
                                      const std::vector<Prerequisite>& prerequisites);
  void SetSelected(std::size_t index, bool on);
  // Whether the setup file of a download already lies where the download
  // step would put it (a file URL always counts as present).
  [[nodiscard]] bool IsAlreadyDownloaded(const std::wstring& location, std::uint32_t exactSize,
                                         const std::wstring& folder);
  // The state that the download, site and install steps act on.
  [[nodiscard]] PrereqState DisplayState(std::size_t index);
  // Re-evaluates the selected records; returns the new count of missing
  // mandatory ones, which the controller keeps.
  int ReevaluateAll();
  // After a setup ran: true when the record is now Found. Selection stays.
  [[nodiscard]] bool RecheckAfterInstall(std::size_t index);
  [[nodiscard]] int CountMissingMandatory() const;

 private:
  [[nodiscard]] bool OsConditionPasses(const Prerequisite& record) const;
  [[nodiscard]] bool LanguageConditionPasses(const Prerequisite& record) const;
  void RefreshAlreadyDownloaded(Prerequisite& record);
  void NoteParentLinks();

  EvaluationObserver* observer_ = nullptr;
  ChainerOptions& options_;
  Searcher searcher_;
  // Until an evaluation has looked, every record may have children.
  bool anyParentLinks_ = true;
};

}  // namespace tessaro
