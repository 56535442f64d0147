#pragma once

#include <QApplication>
#include <cstdio>
#include <cstdlib>

// One headless application for the whole fuzzing run: the editor's widgets and fonts need it.
inline void startFuzzApplication() {
    static int argc = 1;
    static char name[] = "zelto-fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// Stops the run with a message: libFuzzer saves the input that led here.
#define FUZZ_CHECK(condition, ...)                                                                 \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: %s: ", #condition);                                \
            std::fprintf(stderr, __VA_ARGS__);                                                     \
            std::fprintf(stderr, "\n");                                                            \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
