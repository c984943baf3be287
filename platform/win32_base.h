// Win32 plumbing shared by the runtime services: owned handles, device contexts and COM, and the
// one place where a Win32 error code becomes the runtime's error number.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <string>
#include <string_view>
#include <utility>

#include "platform/errors.h"

namespace zelvane::win32 {

// A move-only owner of one handle; Traits names the handle type, its empty value and its closer.
template <class Traits>
class Unique {
public:
    using Type = typename Traits::Type;
    Unique() = default;
    explicit Unique(Type handle) : handle_(handle) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Empty())) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, Traits::Empty()));
        return *this;
    }
    ~Unique() { reset(); }

    Type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Empty(); }
    void reset(Type handle = Traits::Empty()) {
        if (handle_ != Traits::Empty()) Traits::Close(handle_);
        handle_ = handle;
    }
    Type release() { return std::exchange(handle_, Traits::Empty()); }

private:
    Type handle_ = Traits::Empty();
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindClose(h); }
};
template <class Handle>
struct GdiObjectTraits {
    using Type = Handle;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};
struct MemoryDcTraits {
    using Type = HDC;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DeleteDC(h); }
};

struct ViewTraits {
    using Type = LPVOID;
    static Type Empty() { return nullptr; }
    static void Close(Type view) { ::UnmapViewOfFile(view); }
};

using UniqueFile = Unique<FileHandleTraits>;
using UniqueHandle = Unique<KernelHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueBitmap = Unique<GdiObjectTraits<HBITMAP>>;
using UniqueFont = Unique<GdiObjectTraits<HFONT>>;
using UniqueMemoryDc = Unique<MemoryDcTraits>;
using UniqueView = Unique<ViewTraits>;

// Selects an object into a DC for one scope and puts the old one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() { ::SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A function of a loaded module, looked up by name at run time: null where the module (or the
// function in it) is missing, as a function newer than the running system is. Reached through
// ZELVANE_PROC_ADDRESS, which types it by the function's own declaration.
template <class Function>
Function ProcAddress(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name))) : nullptr;
}

// ZELVANE_PROC_ADDRESS(module, GetDpiForWindow): the function of that name, with the type of its
// declaration (decltype(&::GetDpiForWindow)), calling convention included, or null. Only decltype
// sees the declaration, so the program never imports the function itself.
#define ZELVANE_PROC_ADDRESS(module, function) ::zelvane::win32::ProcAddress<decltype(&::function)>(module, #function)

// A window's device context (the screen's, for no window), released on scope exit.
class WindowDc {
public:
    explicit WindowDc(HWND window = nullptr) : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A COM interface pointer that releases on scope exit.
template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    Interface* operator->() const { return p_; }
    Interface* get() const { return p_; }
    Interface** put() { return &p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    Interface* p_ = nullptr;
};

// COM on this thread, loaded the first time an instance is asked for: a program that never needs it
// never loads ole32. Uninitialized and unloaded at the end of its scope, after the instances made
// through it (declare their pointers after it).
class ComLibrary {
public:
    ComLibrary() = default;
    ComLibrary(const ComLibrary&) = delete;
    ComLibrary& operator=(const ComLibrary&) = delete;
    ~ComLibrary();

    // CoCreateInstance of an in-process server; E_FAIL when COM cannot be had.
    HRESULT CreateInstance(REFCLSID server, REFIID requested, void** instance);

private:
    HMODULE module_ = nullptr;
    bool initialized_ = false;
    decltype(&::CoCreateInstance) createInstance_ = nullptr;
};

// The runtime's error number for a Win32 error code.
int ErrorNumberFromWin32(DWORD code);

// Fails with the runtime's number for GetLastError(), which it reads before anything else: call it
// right after the call that failed. The path is only viewed until then.
[[noreturn]] void FailWithLastError(std::wstring_view path = {});

}  // namespace zelvane::win32
