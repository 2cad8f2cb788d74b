// Keeps the program small: libstdc++'s default terminate handler prints the demangled type
// of an uncaught exception, which links in the whole C++ demangler (about 50 KB). No
// exception escapes our window procedure, so the plain abort is all we need.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
