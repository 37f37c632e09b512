// Move-only owners of Win32 resources. Application code never closes a
// handle by hand: a member of one of these types releases it when it is
// reset or destroyed. Where the order of releasing is part of the host's
// behaviour (its shut-down sequence), the owner calls reset() in that order;
// the destructors only guarantee that nothing leaks on other paths.
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

using UniqueHandle = UniqueResource<HANDLE, CloseKernelHandle>;
using UniqueModule = UniqueResource<HMODULE, ReleaseModuleHandle>;
using UniqueMappedView = UniqueResource<void*, UnmapView>;
using UniqueMenu = UniqueResource<HMENU, DestroyMenuHandle>;
using UniqueIcon = UniqueResource<HICON, DestroyIconHandle>;
using UniqueKey = UniqueResource<HKEY, CloseRegistryKey>;

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

// Holds a mutex until destroyed. An abandoned mutex (its last owner died
// holding it) counts as acquired: the caller repairs what it reads under it.
class MutexGuard {
public:
    explicit MutexGuard(HANDLE mutex) {
        if (mutex == nullptr) return;
        const DWORD wait = WaitForSingleObject(mutex, INFINITE);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
            mutex_ = mutex;
            abandoned_ = wait == WAIT_ABANDONED;
        }
    }
    ~MutexGuard() {
        if (mutex_ != nullptr) (void)ReleaseMutex(mutex_);
    }
    MutexGuard(const MutexGuard&) = delete;
    MutexGuard& operator=(const MutexGuard&) = delete;

    bool acquired() const { return mutex_ != nullptr; }
    bool abandoned() const { return abandoned_; }

private:
    HANDLE mutex_ = nullptr;
    bool abandoned_ = false;
};

}  // namespace korvid
