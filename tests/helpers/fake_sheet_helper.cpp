// Stand-ins for the spreadsheet helper that misbehave the way a parser meeting a hostile workbook
// can: built once per behaviour (see tests/CMakeLists.txt).
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main() {
    // Some output first, as a parser that breaks down half-way would have written.
    const char start[] = "TVSHEET1";
    (void)!write(STDOUT_FILENO, start, sizeof start - 1);
#if defined(HELPER_SLEEPS)
    for (;;)
        pause();
#elif defined(HELPER_CRASHES)
    raise(SIGSEGV);
#elif defined(HELPER_EXHAUSTS_MEMORY)
    // Touches memory until the address-space limit refuses more; then fails as a parser would.
    for (;;) {
        void* p = std::malloc(16 << 20);
        if (!p)
            std::abort();
        std::memset(p, 1, 16 << 20);
    }
#endif
    return 0;
}
