#pragma once

// Minimal checks for the installed-package clients.

#include <cstdio>

namespace clientcheck {
inline int failures = 0;
}

#define CLIENT_CHECK(condition)                                                                    \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::printf("%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);             \
            ++clientcheck::failures;                                                               \
        }                                                                                          \
    } while (false)

#define CLIENT_RESULT()                                                                            \
    (std::printf("%s\n", clientcheck::failures == 0 ? "all checks passed" : "FAILED"),             \
     clientcheck::failures == 0 ? 0 : 1)
