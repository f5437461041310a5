// The program builds without exceptions: a failed allocation or a broken
// container precondition ends the process at once. The C++ library would
// otherwise report these by throwing, which links exception objects, their
// string copies, the unwinder and a demangler into a bootstrapper that must
// stay small and can do nothing better than stop.
#include <cstddef>
#include <cstdlib>
#include <new>

// Running out of memory ends the process; the library's operator new would
// throw std::bad_alloc instead, which brings the whole unwinder along.
void* operator new(std::size_t size) {
  void* block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr) std::abort();
  return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
}  // namespace std

// The default terminate handler prints the demangled type of the active
// exception; there is neither a console nor an exception to describe.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
