#include "config/prerequisite.h"

#include <cstddef>
#include <iterator>

namespace tessaro {
namespace {

// Indexed by the state's value, Found through NotSelected.
constexpr const wchar_t* kStateTexts[] = {
    L"An acceptable version was found.",
    L"No acceptable version found. It must be installed from package.",
    L"No acceptable version found. It must be downloaded.",
    L"No acceptable version found. It must be downloaded manually from a site.",
    L"No acceptable version found. Operating System not supported.",
    L"No acceptable version found. It is already downloaded and it will be installed.",
    L"No acceptable version found.",
    L"Not selected for install.",
};
constexpr const wchar_t kUndefinedText[] = L"Undefined";

}  // namespace

const wchar_t* PrereqStateText(PrereqState state) {
  const auto index = static_cast<std::size_t>(static_cast<unsigned>(state));
  return index < std::size(kStateTexts) ? kStateTexts[index] : kUndefinedText;
}

}  // namespace tessaro
