// Win32 plumbing shared by the runtime services: owned handles, COM pointers, and the one place
// where a Win32 error code becomes the runtime's error number.
#pragma once

#include <windows.h>

#include <string>
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

using UniqueFile = Unique<FileHandleTraits>;
using UniqueHandle = Unique<KernelHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueBitmap = Unique<GdiObjectTraits<HBITMAP>>;
using UniqueFont = Unique<GdiObjectTraits<HFONT>>;
using UniqueBrush = Unique<GdiObjectTraits<HBRUSH>>;
using UniqueMemoryDc = Unique<MemoryDcTraits>;

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

// The runtime's error number for a Win32 error code.
int ErrorNumberFromWin32(DWORD code);

// Fails with the runtime's number for GetLastError(); read right after the call that failed.
[[noreturn]] void FailWithLastError(std::wstring path = {});

}  // namespace zelvane::win32
