#pragma once
// Owning wrappers for kernel, registry, library and GDI handles. Each releases in its destructor
// and cannot be copied; Release() hands the handle over without closing it.
#include <windows.h>

template <typename Traits> class OwnedHandle {
  public:
    using Type = typename Traits::Type;
    // Constant where the traits' invalid value is: a handle at namespace scope then starts out
    // invalid without code run at start-up.
    constexpr OwnedHandle() : handle_(Traits::Invalid()) {}
    explicit OwnedHandle(Type handle) : handle_(handle) {}
    ~OwnedHandle() { Reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    Type Get() const { return handle_; }
    bool IsValid() const { return handle_ != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }
    Type* Receive() {
        Reset();
        return &handle_;
    }
    void Reset(Type handle = Traits::Invalid()) {
        if (IsValid())
            Traits::Close(handle_);
        handle_ = handle;
    }
    Type Release() {
        Type handle = handle_;
        handle_ = Traits::Invalid();
        return handle;
    }

  private:
    Type handle_;
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static constexpr Type Invalid() { return nullptr; }
    static void Close(Type h) { CloseHandle(h); }
};
// CreateFileA reports failure as INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { FindClose(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static constexpr Type Invalid() { return nullptr; }
    static void Close(Type h) { RegCloseKey(h); }
};
struct LibraryTraits {
    using Type = HMODULE;
    static constexpr Type Invalid() { return nullptr; }
    static void Close(Type h) { FreeLibrary(h); }
};
struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static constexpr Type Invalid() { return nullptr; }
    static void Close(Type h) { DeleteObject(h); }
};
struct IconTraits {
    using Type = HICON;
    static constexpr Type Invalid() { return nullptr; }
    static void Close(Type h) { DestroyIcon(h); }
};

using KernelHandle = OwnedHandle<KernelHandleTraits>;
using FileHandle = OwnedHandle<FileHandleTraits>;
using FindHandle = OwnedHandle<FindHandleTraits>;
using RegKey = OwnedHandle<RegKeyTraits>;
using Library = OwnedHandle<LibraryTraits>;
using GdiObject = OwnedHandle<GdiObjectTraits>;
using IconHandle = OwnedHandle<IconTraits>;
