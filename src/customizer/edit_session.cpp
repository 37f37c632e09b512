#include "customizer/edit_session.h"

#include <cstring>

#include "config/image_repair.h"
#include "customizer/resolution.h"
#include "device/settings_push.h"

namespace korvid {
namespace {

bool IsEditable(const Field& field) { return field.role == FieldRole::kSetting || field.role == FieldRole::kSpare; }

bool SameBytes(const ShareData& a, const ShareData& b, const Field& field) {
    const auto* pa = reinterpret_cast<const unsigned char*>(&a) + field.offset;
    const auto* pb = reinterpret_cast<const unsigned char*>(&b) + field.offset;
    return std::memcmp(pa, pb, field.size) == 0;
}

void CopyField(const ShareData& from, ShareData& to, const Field& field) {
    std::memcpy(reinterpret_cast<unsigned char*>(&to) + field.offset,
                reinterpret_cast<const unsigned char*>(&from) + field.offset, field.size);
}

void ClearChangeFlags(ShareData& image) {
    image.activeProfileChanged = 0;
    std::memset(image.dpiChanged, 0, sizeof image.dpiChanged);
    std::memset(image.option07Changed, 0, sizeof image.option07Changed);
    std::memset(image.lightingChanged, 0, sizeof image.lightingChanged);
    std::memset(image.buttonChanged, 0, sizeof image.buttonChanged);
}

bool IsDpiIndex(const Field& field) {
    const auto tail = [&](const char* name) { return field.name.find(name) != std::string::npos; };
    return field.profile >= 0 && (tail(".dpiX[") || tail(".dpiY["));
}

}  // namespace

EditSession::EditSession() : base_(std::make_unique<ShareData>()), edited_(std::make_unique<ShareData>()) {}

void EditSession::Load(const ShareData& image) {
    *base_ = image;
    (void)RepairImage(*base_);  // what was mended is the caller's to report, if at all
    *edited_ = *base_;
}

void EditSession::Set(const Field& field, const FieldValue& value) { WriteField(*edited_, field, value); }

void EditSession::ReplaceEdited(const ShareData& image) {
    *edited_ = image;
    (void)RepairImage(*edited_);
}

std::vector<const Field*> EditSession::ChangedFields() const {
    std::vector<const Field*> changed;
    for (const Field& field : FieldTable()) {
        if (IsEditable(field) && !SameBytes(*base_, *edited_, field)) changed.push_back(&field);
    }
    return changed;
}

ShareData EditSession::PrepareApply() const {
    ShareData prepared = *edited_;
    MarkChangedFields(*base_, prepared);
    return prepared;
}

void EditSession::Applied(const ShareData& applied) {
    *base_ = applied;
    *edited_ = applied;
}

std::vector<std::string> EditSession::Merge(const ShareData& incomingRaw) {
    auto incoming = std::make_unique<ShareData>(incomingRaw);
    (void)RepairImage(*incoming);
    std::vector<std::string> conflicts;
    for (const Field& field : FieldTable()) {
        if (field.role == FieldRole::kChangeFlag) continue;
        const bool edited = !SameBytes(*base_, *edited_, field);
        if (!edited) {
            CopyField(*incoming, *edited_, field);
        } else if (!SameBytes(*base_, *incoming, field) && !SameBytes(*edited_, *incoming, field)) {
            conflicts.push_back(field.name);
        }
    }
    *base_ = *incoming;
    return conflicts;
}

int RestoreEdits(EditSession& session, const ShareData& draftBase, const ShareData& draftEdited) {
    int restored = 0;
    for (const Field& field : FieldTable()) {
        if (!IsEditable(field) || SameBytes(draftBase, draftEdited, field)) continue;
        session.Set(field, ReadField(draftEdited, field));
        ++restored;
    }
    return restored;
}

void MarkChangedFields(const ShareData& before, ShareData& after) {
    ClearChangeFlags(after);
    auto* bytes = reinterpret_cast<unsigned char*>(&after);
    for (const Field& field : FieldTable()) {
        if (field.changeFlag && IsEditable(field) && !SameBytes(before, after, field)) bytes[*field.changeFlag] = 1;
    }
}

int FramesOfChangedPush(const ShareData& image) {
    // Counted by the push itself, so the figure cannot drift from what the
    // host sends. The names do not matter for the count.
    auto scratch = std::make_unique<ShareData>(image);
    (void)RepairImage(*scratch);
    int frames = 0;
    (void)PushSettings(
        *scratch, false,
        [&](std::span<const std::uint8_t>) {
            ++frames;
            return 1;
        },
        [](std::u16string_view) { return std::string(); });
    return frames;
}

std::string CheckValue(const Field& field, const FieldValue& value) {
    if (field.role == FieldRole::kPadding || field.role == FieldRole::kChangeFlag) {
        return field.name + " is not edited by hand";
    }
    if (const auto* text = std::get_if<std::u16string>(&value)) {
        if (field.type != FieldType::kText) return field.name + " takes a number";
        if (static_cast<std::int64_t>(text->size()) > field.max) {
            return field.name + " takes at most " + std::to_string(field.max) + " characters";
        }
        if (text->find(u'\0') != std::u16string::npos) return field.name + " cannot hold a NUL character";
        return {};
    }
    if (field.type == FieldType::kText) return field.name + " takes text";
    const std::int64_t number = std::get<std::int64_t>(value);
    if (IsDpiIndex(field) && !DpiOfIndex(number)) {
        return "the mouse has no resolution for index " + std::to_string(number);
    }
    if (number < field.min || number > field.max) {
        return field.name + " must be " + std::to_string(field.min) + " to " + std::to_string(field.max);
    }
    return {};
}

}  // namespace korvid
