// Move-only owners of Win32 resources, for every program of the suite, its
// tools and its tests. Code never closes a handle by hand: a member of one of
// these types releases it when it is reset or destroyed. Where the order of
// releasing is part of a program's behaviour (the host's shut-down sequence),
// the owner calls reset() in that order; the destructors only guarantee that
// nothing leaks on other paths.
//
// Two policies for "no handle": most kernel objects use null, while
// CreateFileW, FindFirstFileW and CreateToolhelp32Snapshot return
// INVALID_HANDLE_VALUE. Each owner below states which one it takes.
#pragma once

#include <windows.h>

#include <utility>

namespace korvid {

template <typename T, auto Close, T Invalid = T{}>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : value_(value) {}
    UniqueResource(UniqueResource&& other) noexcept : value_(std::exchange(other.value_, Invalid)) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, Invalid));
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid; }
    void reset(T value = Invalid) {
        if (value_ != Invalid) (void)Close(value_);  // nothing to do about a failed close
        value_ = value;
    }
    T release() { return std::exchange(value_, Invalid); }

private:
    T value_ = Invalid;
};

inline BOOL CloseKernelHandle(HANDLE h) { return CloseHandle(h); }
inline BOOL UnmapView(void* view) { return UnmapViewOfFile(view); }
inline BOOL ReleaseModuleHandle(HMODULE module) { return FreeLibrary(module); }
inline BOOL DestroyMenuHandle(HMENU menu) { return DestroyMenu(menu); }

inline BOOL DestroyIconHandle(HICON icon) { return DestroyIcon(icon); }
inline LONG CloseRegistryKey(HKEY key) { return RegCloseKey(key); }

inline BOOL CloseFindHandle(HANDLE h) { return FindClose(h); }
inline BOOL DeleteFontHandle(HFONT font) { return DeleteObject(font); }

// Null is "no handle": events, mutexes, threads, processes, mappings.
using UniqueHandle = UniqueResource<HANDLE, CloseKernelHandle>;
// INVALID_HANDLE_VALUE is "no handle" (and so is null, which is never valid
// either): files and devices from CreateFileW, tool-help snapshots, find
// handles. get() gives INVALID_HANDLE_VALUE when empty, as the API expects.
template <auto Close>
class UniqueInvalidValueHandle {
public:
    UniqueInvalidValueHandle() = default;
    explicit UniqueInvalidValueHandle(HANDLE h) : handle_(Valid(h) ? h : nullptr) {}
    HANDLE get() const { return handle_ ? handle_.get() : INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return static_cast<bool>(handle_); }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) { handle_.reset(Valid(h) ? h : nullptr); }
    HANDLE release() {
        HANDLE h = handle_.release();
        return h ? h : INVALID_HANDLE_VALUE;
    }

private:
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    UniqueResource<HANDLE, Close> handle_;
};
using UniqueFileHandle = UniqueInvalidValueHandle<CloseKernelHandle>;  // CreateFileW
using UniqueSnapshot = UniqueInvalidValueHandle<CloseKernelHandle>;    // CreateToolhelp32Snapshot
using UniqueFindHandle = UniqueInvalidValueHandle<CloseFindHandle>;    // FindFirstFileW
using UniqueModule = UniqueResource<HMODULE, ReleaseModuleHandle>;
using UniqueMappedView = UniqueResource<void*, UnmapView>;
using UniqueMenu = UniqueResource<HMENU, DestroyMenuHandle>;
using UniqueIcon = UniqueResource<HICON, DestroyIconHandle>;
using UniqueKey = UniqueResource<HKEY, CloseRegistryKey>;
using UniqueFont = UniqueResource<HFONT, DeleteFontHandle>;

// A created kernel object and whether its name was taken already; read from
// GetLastError right after the call that made it.
struct CreatedObject {
    UniqueHandle handle;
    bool alreadyExisted = false;
};

inline CreatedObject CreateNamedMutex(const wchar_t* name) {
    HANDLE h = CreateMutexW(nullptr, FALSE, name);
    const bool existed = h != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    return {UniqueHandle(h), existed};
}

// Both handles of a started process (CreateProcessW's PROCESS_INFORMATION).
struct UniqueProcess {
    UniqueHandle process;
    UniqueHandle thread;
    DWORD processId = 0;

    UniqueProcess() = default;
    explicit UniqueProcess(const PROCESS_INFORMATION& info)
        : process(info.hProcess), thread(info.hThread), processId(info.dwProcessId) {}
    explicit operator bool() const { return static_cast<bool>(process); }
};

// Holds a mutex until destroyed. An abandoned mutex (its last owner died
// holding it) counts as acquired: the caller repairs what it reads under it.
// With a time limit, status() tells what the wait gave: WAIT_OBJECT_0,
// WAIT_ABANDONED, WAIT_TIMEOUT or WAIT_FAILED (and then error() the system
// error, read right after the wait).
class MutexGuard {
public:
    explicit MutexGuard(HANDLE mutex, DWORD timeoutMs = INFINITE) {
        if (mutex == nullptr) return;
        status_ = WaitForSingleObject(mutex, timeoutMs);
        if (status_ == WAIT_FAILED) error_ = GetLastError();
        if (status_ == WAIT_OBJECT_0 || status_ == WAIT_ABANDONED) mutex_ = mutex;
    }
    ~MutexGuard() {
        if (mutex_ != nullptr) (void)ReleaseMutex(mutex_);
    }
    MutexGuard(const MutexGuard&) = delete;
    MutexGuard& operator=(const MutexGuard&) = delete;

    bool acquired() const { return mutex_ != nullptr; }
    bool abandoned() const { return status_ == WAIT_ABANDONED; }
    bool timedOut() const { return status_ == WAIT_TIMEOUT; }
    DWORD status() const { return status_; }  // WAIT_FAILED also when there was no mutex
    DWORD error() const { return error_; }

private:
    HANDLE mutex_ = nullptr;
    DWORD status_ = WAIT_FAILED;
    DWORD error_ = 0;
};

}  // namespace korvid
