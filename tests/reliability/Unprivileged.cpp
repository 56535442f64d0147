#include "Unprivileged.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
constexpr uid_t kNobody = 65534;
}

UnprivilegedScope::UnprivilegedScope() {
    if (geteuid() != 0) {
        return;
    }
    // The saved IDs stay 0, so that the destructor may take the privileges back.
    if (setresgid(kNobody, kNobody, 0) != 0 || setresuid(kNobody, kNobody, 0) != 0) {
        setresgid(0, 0, 0);
        ok_ = false;
        return;
    }
    dropped_ = true;
}

UnprivilegedScope::~UnprivilegedScope() {
    if (dropped_) {
        if (setresuid(0, 0, 0) != 0 || setresgid(0, 0, 0) != 0) {
            std::perror("cannot take root back");
            std::abort();
        }
    }
}
