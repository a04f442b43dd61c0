// The handler std::terminate calls by default. libstdc++'s own prints the exception's
// demangled type to stderr, which links the whole C++ demangler; a GUI program has no
// stderr, so it just ends the process as that one does after printing.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
