#pragma once

// A few lines of test harness for the plain C++ platform tests, which also
// run as Windows programs under Wine where no test framework is at hand.

#include <cstdio>
#include <functional>
#include <vector>

namespace platformcheck {

inline int &failures()
{
    static int count = 0;
    return count;
}

struct Case
{
    const char *name;
    std::function<void()> run;
};

inline std::vector<Case> &cases()
{
    static std::vector<Case> all;
    return all;
}

struct Registrar
{
    Registrar(const char *name, std::function<void()> run) { cases().push_back({name, run}); }
};

inline int runAll()
{
    for (const Case &testCase : cases()) {
        const int before = failures();
        testCase.run();
        std::printf("%s %s\n", failures() == before ? "PASS" : "FAIL", testCase.name);
    }
    std::printf("%d failure(s)\n", failures());
    std::fflush(stdout);
    return failures() == 0 ? 0 : 1;
}

} // namespace platformcheck

#define PLATFORM_TEST(name)                                                                        \
    static void name();                                                                            \
    static const platformcheck::Registrar name##_registrar(#name, name);                           \
    static void name()

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::printf("  %s:%d: CHECK failed: %s\n", __FILE__, __LINE__, #condition);           \
            ++platformcheck::failures();                                                           \
        }                                                                                          \
    } while (false)

#define PLATFORM_TEST_MAIN()                                                                       \
    int main() { return platformcheck::runAll(); }
