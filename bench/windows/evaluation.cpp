// How evaluation time grows with the number of prerequisites. Each run lays
// out real registry keys and files, half of them present, and times
// EvaluateAll with logging off; the time per prerequisite should stay about
// the same from 100 to 5000 records. A second series gives every record a
// parent, which makes selection walk parent chains as well.
// With "floor LOG_FOLDER" it instead sets type 2 searches beside the plain
// registry reads they cannot beat (CompareWithFloor).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "config/chainer_options.h"
#include "log/logger.h"
#include "prereq/evaluator.h"
#include "prereq/searcher.h"

namespace tessaro {
namespace {

const wchar_t kBenchKey[] = L"Software\\Tessaro Tests\\bench";
constexpr int kRepeats = 3;
constexpr int kGroupSize = 10;  // records that share one parent in the second series
// Evidence is spread over folders and keys of this many entries: Wine looks
// up a missing name by reading the whole folder, which would otherwise make
// the file system, not evaluation, grow with N.
constexpr int kEvidencePerFolder = 100;

struct Fixture {
  std::wstring folder;  // files of the type 0 searches, and the download folder
  std::vector<std::wstring> files;
};

std::wstring GroupName(int i) { return L"g" + std::to_wstring(i / kEvidencePerFolder); }
std::wstring KeyPath(int i) { return std::wstring(kBenchKey) + L"\\" + GroupName(i) + L"\\k" + std::to_wstring(i); }
std::wstring FilePath(const Fixture& fixture, int i) {
  return fixture.folder + GroupName(i) + L"\\f" + std::to_wstring(i) + L".dll";
}

void CreateEvidence(int count, Fixture& fixture) {
  for (int i = 0; i < count; i += 2) {  // even indices are present
    if (i % 3 == 2) {
      CreateDirectoryW((fixture.folder + GroupName(i)).c_str(), nullptr);
      const std::wstring path = FilePath(fixture, i);
      HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
      fixture.files.push_back(path);
      continue;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(i).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
      const wchar_t version[] = L"3.1.4";
      RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof(version));
      RegCloseKey(key);
    }
  }
}

void RemoveEvidence(Fixture& fixture) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, kBenchKey);
  for (const std::wstring& file : fixture.files) DeleteFileW(file.c_str());
  for (const std::wstring& file : fixture.files) RemoveDirectoryW(file.substr(0, file.rfind(L'\\')).c_str());
  fixture.files.clear();
}

// Registry key presence, registry value versions and file versions in turn;
// every fourth record is a download so that presence in the download folder
// is looked up too.
ChainerOptions MakeOptions(int count, bool withParents, const Fixture& fixture) {
  ChainerOptions options;
  options.general.downloadFolder = fixture.folder;
  options.prerequisites.reserve(count);
  for (int i = 0; i < count; ++i) {
    Prerequisite record;
    record.name = L"Prereq" + std::to_wstring(i);
    if (i % 4 == 3) {
      record.sourceKind = SourceKind::Download;
      record.location = L"http://127.0.0.1/bench/" + record.name + L".exe";
    } else {
      record.location = record.name + L".exe";
    }
    if (withParents && i % kGroupSize != 0) record.parentPrereq = L"Prereq" + std::to_wstring(i - i % kGroupSize);
    PrereqSearch search;
    switch (i % 3) {
      case 0:
        search.type = 5;
        search.searchString = L"HKCU\\" + KeyPath(i);
        break;
      case 1:
        search.type = 2;
        search.searchString = L"HKCU\\" + KeyPath(i) + L"\\Version";
        search.verMin = L"3.0";
        break;
      default:
        search.type = 0;
        search.searchString = FilePath(fixture, i);
        break;
    }
    record.searches.push_back(search);
    options.prerequisites.push_back(std::move(record));
  }
  return options;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Timing {
  double evaluateAll = 1e30;
  double selection = 1e30;  // the selection pass of EvaluateAll on its own
};

// The best of a few runs over fresh records, in seconds.
Timing TimeEvaluation(int count, bool withParents, const Fixture& fixture) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  Timing best;
  for (int r = 0; r < kRepeats; ++r) {
    ChainerOptions options = MakeOptions(count, withParents, fixture);
    PrereqEvaluator evaluator(options, nullptr);
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    evaluator.EvaluateAll();
    QueryPerformanceCounter(&end);
    best.evaluateAll = std::min(best.evaluateAll, Seconds(start, end, frequency));

    // Selection again from scratch: every change scans all records for children.
    for (Prerequisite& record : options.prerequisites) record.selected = false;
    QueryPerformanceCounter(&start);
    for (std::size_t i = 0; i < options.prerequisites.size(); ++i) {
      evaluator.SetSelected(i, IsMissingState(options.prerequisites[i].state));
    }
    QueryPerformanceCounter(&end);
    best.selection = std::min(best.selection, Seconds(start, end, frequency));
  }
  return best;
}


// Type 2 searches against their floor: a program that does nothing but open,
// read and close the same registry values (and, beside the logged runs,
// write and flush as many log lines). Rounds alternate between the tools, so
// that other work on the machine slows each alike; each keeps its best round.
// A logged round takes seconds where the others take milliseconds, so only
// a few rounds are logged.
constexpr int kFloorCount = 5000;
constexpr int kFloorRounds = 15;
constexpr int kLoggedRounds = 3;

double Now() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Half the records ask for more than the 3.1.4 every value holds, so they
// are missing and selected: a record logs two lines, a missing one three.
int LinesLogged(int i) { return 2 + i % 2; }

double ReadValuesRaw(const std::vector<std::wstring>& keys, HANDLE log) {
  const double start = Now();
  for (std::size_t i = 0; i < keys.size(); ++i) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keys[i].c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    BYTE data[64];
    DWORD size = sizeof(data);
    RegQueryValueExW(key, L"Version", nullptr, nullptr, data, &size);
    RegCloseKey(key);
    for (int line = 0; log != INVALID_HANDLE_VALUE && line < LinesLogged(static_cast<int>(i)); ++line) {
      const std::wstring text = L"2026-01-01 00-00-00-Searching for:Prereq" + std::to_wstring(i) + L"\r\n";
      DWORD written = 0;
      WriteFile(log, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
      FlushFileBuffers(log);
    }
  }
  return Now() - start;
}

double EvaluateTypeTwo(int count, bool withLog) {
  ChainerOptions options;
  for (int i = 0; i < count; ++i) {
    Prerequisite record;
    record.name = L"Prereq" + std::to_wstring(i);
    record.location = record.name + L".exe";
    PrereqSearch search;
    search.type = kValueData;
    search.searchString = L"HKCU\\" + KeyPath(i) + L"\\Version";
    search.verMin = LinesLogged(i) == 3 ? L"4.0" : L"3.0";
    record.searches.push_back(search);
    options.prerequisites.push_back(std::move(record));
  }
  PrereqEvaluator evaluator(options, nullptr);
  LoggingEnabled = withLog;
  const double start = Now();
  evaluator.EvaluateAll();
  const double seconds = Now() - start;
  LoggingEnabled = false;
  return seconds;
}

// The process's logger keeps its file open until exit, so both logs go to a
// folder that the caller removes afterwards.
void CompareWithFloor(const std::wstring& logFolder) {
  std::vector<std::wstring> keys;
  for (int i = 0; i < kFloorCount; ++i) {
    keys.push_back(KeyPath(i));
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keys.back().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
      const wchar_t version[] = L"3.1.4";
      RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof(version));
      RegCloseKey(key);
    }
  }
  Logger::Instance().SetLogFile(logFolder + L"\\product.log");
  HANDLE log = CreateFileW((logFolder + L"\\floor.log").c_str(), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  double floor = 1e30, floorLogged = 1e30, quiet = 1e30, logged = 1e30;
  // Each round's evaluation is also set against the floor measured just
  // before it. Every round trip to Wine's server waits for a processor to
  // wake where the machine sleeps, and seven times less where other work
  // keeps it awake: when that changes during the run (a disk that stops
  // writing), the two best rounds may come from different states, while a
  // round and its floor share one. The logged rounds come last, as their
  // flushes keep the disk busy for a while after.
  std::vector<double> ratios;
  for (int round = 0; round < kFloorRounds; ++round) {
    const double floorNow = ReadValuesRaw(keys, INVALID_HANDLE_VALUE);
    const double quietNow = EvaluateTypeTwo(kFloorCount, false);
    floor = std::min(floor, floorNow);
    quiet = std::min(quiet, quietNow);
    ratios.push_back(quietNow / floorNow);
  }
  std::sort(ratios.begin(), ratios.end());
  for (int round = 0; round < kLoggedRounds; ++round) {
    floorLogged = std::min(floorLogged, ReadValuesRaw(keys, log));
    logged = std::min(logged, EvaluateTypeTwo(kFloorCount, true));
  }
  CloseHandle(log);
  RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, kBenchKey);
  std::printf("%d type 2 registry searches, best of %d rounds (%d with a log):\n", kFloorCount, kFloorRounds,
              kLoggedRounds);
  std::printf("  EvaluateAll %.1f ms, floor (open, read, close) %.1f ms: %.2f of the floor;"
              " round by round %.2f (median; %.2f to %.2f)\n",
              quiet * 1e3, floor * 1e3, quiet / floor, ratios[ratios.size() / 2], ratios.front(), ratios.back());
  std::printf("  with a log file %.1f ms, floor writing and flushing as many lines %.1f ms: %.2f of that floor\n",
              logged * 1e3, floorLogged * 1e3, logged / floorLogged);
}

}  // namespace
}  // namespace tessaro

int main(int argc, char** argv) {
  using namespace tessaro;
  if (argc > 2 && std::strcmp(argv[1], "floor") == 0) {
    const std::string folder(argv[2]);  // a plain ASCII path from the bench script
    CompareWithFloor(std::wstring(folder.begin(), folder.end()));
    return 0;
  }
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  Fixture fixture;
  fixture.folder = std::wstring(temp) + L"tessaro_bench_evaluation_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(fixture.folder.c_str(), nullptr);

  const int sizes[] = {100, 1000, 5000};
  // One unmeasured run first, so that the first figure does not carry the
  // cost of the process's first registry and file accesses.
  CreateEvidence(sizes[0], fixture);
  (void)TimeEvaluation(sizes[0], false, fixture);
  RemoveEvidence(fixture);

  std::printf("evaluation: EvaluateAll, half of the prerequisites present, best of %d runs\n", kRepeats);
  for (const bool withParents : {false, true}) {
    std::printf("%s\n", withParents ? "with ParentPrereq (groups of 10)" : "without ParentPrereq");
    double basePerRecord = 0;
    for (const int count : sizes) {
      CreateEvidence(count, fixture);
      const Timing timing = TimeEvaluation(count, withParents, fixture);
      RemoveEvidence(fixture);
      const double perRecord = timing.evaluateAll / count;
      if (basePerRecord == 0) basePerRecord = perRecord;
      std::printf("  N=%5d  total %8.1f ms  per prerequisite %7.1f us  growth vs N=%d: %.2f"
                  "  (selection alone %7.2f ms, %6.2f us each)\n",
                  count, timing.evaluateAll * 1e3, perRecord * 1e6, sizes[0], perRecord / basePerRecord,
                  timing.selection * 1e3, timing.selection / count * 1e6);
    }
  }
  RemoveDirectoryW(fixture.folder.c_str());
  return 0;
}
