#pragma once

#include <dlfcn.h>

// Sets a mark in the call log between two calls, when the recording shim is loaded.
inline void mark(const char* text) {
    using MarkFn = void (*)(const char*);
    if (auto fn = reinterpret_cast<MarkFn>(dlsym(RTLD_DEFAULT, "powercut_mark"))) {
        fn(text);
    }
}
