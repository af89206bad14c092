// One resource of the system's (a descriptor, a handle) with one owner,
// released once when that owner lets go of it: an error path cannot leak it
// nor release it twice. For the system's own files (child_process_posix.cpp,
// child_process_win32.cpp).
#pragma once

#include <utility>

template <typename Resource, Resource kNone, void (*kRelease)(Resource)>
class Owned {
public:
    explicit Owned(Resource resource = kNone) : resource_(resource) {}
    Owned(Owned&& other) noexcept : resource_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Close();
            resource_ = other.Release();
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { Close(); }

    Resource get() const { return resource_; }
    Resource Release() { return std::exchange(resource_, kNone); }
    void Close() {
        if (resource_ != kNone) kRelease(resource_);
        resource_ = kNone;
    }

private:
    Resource resource_;
};
