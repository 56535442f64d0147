#pragma once

// Runs the scope as the unprivileged user "nobody" when the process is root, whom permission bits
// do not stop; does nothing for any other user. ok() tells whether permissions now apply.
class UnprivilegedScope {
public:
    UnprivilegedScope();
    ~UnprivilegedScope();
    UnprivilegedScope(const UnprivilegedScope&) = delete;
    UnprivilegedScope& operator=(const UnprivilegedScope&) = delete;
    bool ok() const { return ok_; }

private:
    bool dropped_ = false;
    bool ok_ = true;
};
