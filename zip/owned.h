// A small move-only owner for system resources (file handles, descriptors): it releases what it
// holds exactly once, cannot be copied, and can hand the resource over with Detach.
#pragma once

#include <utility>

// Traits: `Value`, `static Value Empty()`, `static bool IsEmpty(Value)`, `static void
// Release(Value)`.
template <typename Traits>
class Owned {
  public:
    using Value = typename Traits::Value;

    Owned() = default;
    explicit Owned(Value value) : value_(value) {}
    ~Owned() { Reset(); }

    Owned(Owned&& other) noexcept : value_(other.Detach()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Reset();
            value_ = other.Detach();
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Value Get() const { return value_; }
    bool Valid() const { return !Traits::IsEmpty(value_); }

    // Gives up ownership without releasing; the owner becomes empty.
    Value Detach() { return std::exchange(value_, Traits::Empty()); }

    void Reset() {
        if (Valid()) {
            Traits::Release(value_);
        }
        value_ = Traits::Empty();
    }

  private:
    Value value_ = Traits::Empty();
};
