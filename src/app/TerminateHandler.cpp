// The handler std::terminate calls unless the program sets another. The
// static libstdc++'s own one names the exception's type through its C++
// demangler, about 45 KiB of code the installer has no other use for; this
// definition takes its place at link time, so the demangler is never linked.
// It must be an object of the program itself: in a library of ours, searched
// before libstdc++ but only for what is still missing, the linker would take
// libstdc++'s own without a word (the bench's size line would show it). It
// reports the exception, the type by its mangled name, and ends the process
// the same way; a second call (a what() that throws) ends it at once.
#include <cxxabi.h>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <typeinfo>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    // A what() that throws comes back here: end at once.
    static bool called = false;
    if (called)
        std::abort();
    called = true;
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (!type) {
        std::fputs("terminate called without an active exception\n", stderr);
        std::abort();
    }
    std::fprintf(stderr, "terminate called after throwing an instance of '%s'\n", type->name());
    try {
        throw;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "  what():  %s\n", e.what());
    } catch (...) {
    }
    std::abort();
}

} // namespace __gnu_cxx
