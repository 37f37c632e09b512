#include "config/shared_section_win.h"

#include <cstring>
#include <memory>

#include "base/debug_output_win.h"
#include "config/image_repair.h"

namespace korvid {

bool SharedSection::CreateMutexObject() {
    CreatedObject mutex = CreateNamedMutex(kSectionMutexName);
    const bool existed = mutex.alreadyExisted;
    mutex_ = std::move(mutex.handle);
    return !existed;
}

bool SharedSection::CreateSharedSection() {
    // A present but null DACL: the customizer may run as another user or at
    // another integrity level and still open the section with full access.
    auto descriptor = std::make_unique<SECURITY_DESCRIPTOR>();
    if (!InitializeSecurityDescriptor(descriptor.get(), SECURITY_DESCRIPTOR_REVISION)) return false;
    if (!SetSecurityDescriptorDacl(descriptor.get(), TRUE, nullptr, FALSE)) return false;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), TRUE};

    // An existing section of that name (the customizer made it first) is opened.
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(kImageSize), kSectionName);
    if (mapping == nullptr) return false;
    mapping_.reset(mapping);
    view_.reset(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kImageSize));
    // A section someone else created smaller than an image cannot be mapped
    // whole; without a view every copy is skipped.
    return static_cast<bool>(view_);
}

bool SharedSection::PublishToSection(const WorkingCopy& image) {
    if (!view_) return false;
    MutexGuard lock(mutex_.get());
    if (!lock.acquired()) return false;
    image.Read([&](const ShareData& working) { std::memcpy(view_.get(), &working, kImageSize); });
    return true;
}

void SharedSection::ReloadFromSection(WorkingCopy& image) {
    if (!view_) return;
    auto received = std::make_unique<ShareData>();
    {
        MutexGuard lock(mutex_.get());
        if (!lock.acquired()) return;
        std::memcpy(received.get(), view_.get(), kImageSize);
    }
    // Repaired in the host's own copy: the section may change under a writer
    // that ignores the mutex, but this copy does not.
    const RepairReport repaired = RepairImage(*received);
    if (repaired.Any()) {
        DebugLineF(L"ReloadFromSection repaired the image: activeProfile %d, eventCount %d, text %d\n",
                   repaired.activeProfile ? 1 : 0, repaired.eventCounts, repaired.textFields);
    }
    image.Write([&](ShareData& working) { working = *received; });
}

void SharedSection::CloseSection() {
    view_.reset();
    mapping_.reset();
}

void SharedSection::CloseMutex() { mutex_.reset(); }

}  // namespace korvid
