// Prints the ANSI code page Wine gave this run and, when DRWA_EXPECT_ACP names
// one, fails on any other: the Windows tests are meant to run under a given
// code page (1252 catches a path read in the ANSI code page, 932 is the
// users' own).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main() {
    const unsigned acp = GetACP();
    std::printf("ANSI code page %u\n", acp);
    const char* expected = std::getenv("DRWA_EXPECT_ACP");
    if (expected != nullptr && *expected != '\0' && std::strtoul(expected, nullptr, 10) != acp) {
        std::printf("expected code page %s\n", expected);
        return 1;
    }
    return 0;
}
