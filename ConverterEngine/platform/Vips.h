// libvips start-up and ownership helpers for platform-layer code only: the one header
// that brings libvips in.
#pragma once

#include <vips/vips.h>

namespace ce::vips {

// Starts libvips once per process (thread-safe); false when it cannot start.
bool ready();

// Owns one reference to a VipsImage (or any GObject).
template <typename T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T* object) : object_(object) {}
    ~Ref() {
        if (object_) g_object_unref(object_);
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    Ref& operator=(Ref&& other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    T* get() const { return object_; }
    T** out() { return &object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

using Image = Ref<VipsImage>;

}  // namespace ce::vips
