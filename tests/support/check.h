// A small test runner for the Windows test programs: CHECK macros, named cases,
// and a closing "N passed, N failed" line. A case fails on its first failed check;
// each runs inside a CaseScope (harness.h), which ends what it left running.
#ifndef ZV_CHECK_H
#define ZV_CHECK_H

#include <stdio.h>
#include <string.h>

typedef void (*TestFunction)();

struct TestRegistration {
    TestRegistration(const char *name, TestFunction function);
};

// Records a failed check in the running case; returns false.
bool CheckFailed(const char *file, int line, const char *text);

#define TEST_CASE(name)                                                 \
    static void name();                                                 \
    static TestRegistration name##_registration(#name, name);           \
    static void name()

#define CHECK(condition)                                                \
    do {                                                                \
        if (!(condition)) {                                             \
            CheckFailed(__FILE__, __LINE__, #condition);                \
            return;                                                     \
        }                                                               \
    } while (0)

#define CHECK_EQ(expected, actual)                                      \
    do {                                                                \
        long long zvExpected = (long long)(expected);                   \
        long long zvActual = (long long)(actual);                       \
        if (zvExpected != zvActual) {                                   \
            char zvText[512];                                           \
            snprintf(zvText, sizeof zvText, "%s == %s (%lld != %lld)",  \
                     #expected, #actual, zvExpected, zvActual);         \
            CheckFailed(__FILE__, __LINE__, zvText);                    \
            return;                                                     \
        }                                                               \
    } while (0)

#define CHECK_STR(expected, actual)                                     \
    do {                                                                \
        const char *zvExpected = (expected);                            \
        const char *zvActual = (actual);                                \
        if (strcmp(zvExpected, zvActual) != 0) {                        \
            char zvText[1024];                                          \
            snprintf(zvText, sizeof zvText, "%s == %s (\"%s\" != \"%s\")", \
                     #expected, #actual, zvExpected, zvActual);         \
            CheckFailed(__FILE__, __LINE__, zvText);                    \
            return;                                                     \
        }                                                               \
    } while (0)

// Runs every registered case (or those whose name contains filter) and prints
// the closing line; returns the process exit code.
int RunAllTests(int argc, char **argv);

#endif
