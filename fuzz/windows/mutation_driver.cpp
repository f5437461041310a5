// A small stand-in for libFuzzer where libFuzzer cannot go: code that exists
// only in the Windows trees (WinINet's URL cracking) runs under Wine without
// sanitizers or coverage. The driver feeds every seed, then random mutations
// of them, to the target's LLVMFuzzerTestOneInput for a bounded time; a
// crash or an abort() ends the run with the input saved, as libFuzzer does.
//
//   name_fuzz.exe [-max_total_time=SECONDS] [-seed=N] [-artifact_prefix=PATH] SEED_FOLDER...
#include <windows.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kMaxLength = 4096;
// Bytes that mean something to URL and path parsers, as UTF-16LE units.
constexpr char kSpecial[] = ":/\\@?#%[]=.;+ ";

const Bytes* current = nullptr;
std::wstring artifactPath;

void SaveCurrent() {
  if (current == nullptr) return;
  if (FILE* file = _wfopen(artifactPath.c_str(), L"wb")) {
    std::fwrite(current->data(), 1, current->size(), file);
    std::fclose(file);
  }
  std::fwprintf(stderr, L"crash: input saved to %ls\n", artifactPath.c_str());
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS*) {
  SaveCurrent();
  return EXCEPTION_EXECUTE_HANDLER;
}

void OnAbort(int) {
  SaveCurrent();
  std::_Exit(3);
}

struct Random {
  std::uint64_t state;
  std::uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<std::uint32_t>(state);
  }
  std::size_t Below(std::size_t n) { return n == 0 ? 0 : Next() % n; }
};

void Mutate(Bytes& input, const std::vector<Bytes>& seeds, Random& random) {
  const std::size_t at = random.Below(input.size() + 1) & ~std::size_t{1};  // whole UTF-16 units
  switch (random.Below(5)) {
    case 0:
      if (!input.empty()) input[random.Below(input.size())] ^= static_cast<std::uint8_t>(1u << random.Below(8));
      break;
    case 1:
      input.insert(input.begin() + static_cast<std::ptrdiff_t>(at),
                   {static_cast<std::uint8_t>(kSpecial[random.Below(sizeof kSpecial - 1)]), 0});
      break;
    case 2:
      if (at < input.size()) {
        const std::size_t count = random.Below(input.size() - at) + 1;
        input.erase(input.begin() + static_cast<std::ptrdiff_t>(at),
                    input.begin() + static_cast<std::ptrdiff_t>(at + count));
      }
      break;
    case 3: {
      const Bytes& other = seeds[random.Below(seeds.size())];
      const std::size_t from = random.Below(other.size()) & ~std::size_t{1};
      input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), other.begin() + static_cast<std::ptrdiff_t>(from),
                   other.end());
      break;
    }
    default:
      input.insert(input.begin() + static_cast<std::ptrdiff_t>(at),
                   {static_cast<std::uint8_t>(random.Next()), static_cast<std::uint8_t>(random.Next())});
      break;
  }
  if (input.size() > kMaxLength) input.resize(kMaxLength);
}

void ReadSeeds(const std::wstring& folder, std::vector<Bytes>& seeds) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (FILE* file = _wfopen((folder + L"\\" + found.cFileName).c_str(), L"rb")) {
      Bytes bytes(kMaxLength);
      bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
      std::fclose(file);
      seeds.push_back(std::move(bytes));
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  double seconds = 10;
  std::uint64_t seed = GetTickCount64() | 1;
  artifactPath = L"crash-input";
  std::vector<Bytes> seeds;
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument = argv[i];
    if (argument.starts_with(L"-max_total_time=")) {
      seconds = std::wcstod(argument.c_str() + 16, nullptr);
    } else if (argument.starts_with(L"-seed=")) {
      seed = std::wcstoull(argument.c_str() + 6, nullptr, 10) | 1;
    } else if (argument.starts_with(L"-artifact_prefix=")) {
      artifactPath = argument.substr(17) + L"crash-input";
    } else if (!argument.starts_with(L"-")) {
      ReadSeeds(argument, seeds);
    }
  }
  const std::size_t seedCount = seeds.size();
  if (seeds.empty()) seeds.emplace_back();
  SetUnhandledExceptionFilter(OnCrash);
  std::signal(SIGABRT, OnAbort);

  Random random{seed};
  std::uint64_t runs = 0;
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  for (const Bytes& input : seeds) {
    current = &input;
    LLVMFuzzerTestOneInput(input.data(), input.size());
    ++runs;
  }
  Bytes input;
  while (GetTickCount64() < end) {
    input = seeds[random.Below(seeds.size())];
    for (std::size_t n = random.Below(8) + 1; n > 0; --n) Mutate(input, seeds, random);
    current = &input;
    LLVMFuzzerTestOneInput(input.data(), input.size());
    ++runs;
  }
  std::printf("Done %llu runs from %zu seed files (random seed %llu)\n", static_cast<unsigned long long>(runs),
              seedCount, static_cast<unsigned long long>(seed));
  return 0;
}
