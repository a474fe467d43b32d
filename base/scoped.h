// One small move-only owner for the handles and objects a function acquires: released by the
// scope that acquired it, on every path. Never used for another program's windows. The traits
// for GDI+ objects are in base/gdiplus_owners.h, so that only the drawing code pulls in GDI+.
#pragma once

#include <windows.h>

#include <utility>

template <typename T, T kEmpty, typename Traits>
class Scoped {
  public:
    Scoped() = default;
    explicit Scoped(T value) : value_(value) {}
    ~Scoped() { reset(); }
    Scoped(Scoped&& other) noexcept : value_(other.detach()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) {
            reset(other.detach());
        }
        return *this;
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    // The value, still owned.
    [[nodiscard]] T get() const { return value_; }
    // Whether a value is held (by the traits' idea of empty).
    [[nodiscard]] bool valid() const { return Traits::Valid(value_); }
    // Hands the value over without releasing it; the owner is empty afterwards.
    [[nodiscard]] T detach() { return std::exchange(value_, kEmpty); }
    // Releases the value held (if any) and takes `value`.
    void reset(T value = kEmpty) {
        if (Traits::Valid(value_)) {
            Traits::Close(value_);
        }
        value_ = value;
    }
    // For out-parameters of creating calls: releases the current value first.
    T* receive() {
        reset();
        return &value_;
    }

  private:
    T value_ = kEmpty;
};

struct HandleTraits {
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindTraits {
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct KeyTraits {
    static bool Valid(HKEY k) { return k != nullptr; }
    static void Close(HKEY k) { RegCloseKey(k); }
};
struct ModuleTraits {
    static bool Valid(HMODULE m) { return m != nullptr; }
    static void Close(HMODULE m) { FreeLibrary(m); }
};
struct GlobalTraits {
    static bool Valid(HGLOBAL g) { return g != nullptr; }
    static void Close(HGLOBAL g) { GlobalFree(g); }
};

using ScopedHandle = Scoped<HANDLE, nullptr, HandleTraits>;
// INVALID_HANDLE_VALUE is no constant expression; FindTraits treats it as empty all the same.
using ScopedFind = Scoped<HANDLE, nullptr, FindTraits>;
using ScopedKey = Scoped<HKEY, nullptr, KeyTraits>;
using ScopedModule = Scoped<HMODULE, nullptr, ModuleTraits>;
using ScopedGlobal = Scoped<HGLOBAL, nullptr, GlobalTraits>;
