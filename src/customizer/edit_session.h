// The customizer's editing state: the image as last read from the section
// (or Config.data) or applied, and the image the person is editing. Nothing
// here touches a window, the section or a file: the window code loads images
// in, asks for the image to apply, and shows what the session holds.
//
// Contract with the host (what the window code does with the results):
//   - PrepareApply gives the edited image with the change flags of exactly
//     the fields that differ from the base set and every other flag clear.
//     The window code writes it into the section under the mutex, saves
//     Config.data, posts WM_HOST_APPLY_ALL and then calls Applied.
//   - After WM_UI_PROFILE_CHANGED or WM_UI_STAGE_CHANGED the window code reads
//     the section and calls Merge: the fields the person has not touched take
//     the section's values; the person's unapplied edits stay.
// Every image that enters is repaired first (the section can be written by any
// process of the session).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "config/share_data.h"
#include "inspect/field_table.h"

namespace korvid {

class EditSession {
public:
    EditSession();

    // Starts over from an image: base and edited both become it (repaired).
    void Load(const ShareData& image);

    const ShareData& base() const { return *base_; }
    const ShareData& edited() const { return *edited_; }

    // Writes a value the caller has checked (CheckValue). Change flags are not
    // edited this way: PrepareApply computes them.
    void Set(const Field& field, const FieldValue& value);
    FieldValue Get(const Field& field) const { return ReadField(*edited_, field); }

    // Replaces the edited image wholesale (copy a profile, reset to factory
    // defaults, import); the base stays, so PrepareApply flags what differs.
    void ReplaceEdited(const ShareData& image);

    // Fields (settings and spares) whose edited value differs from the base.
    std::vector<const Field*> ChangedFields() const;
    bool HasUnappliedEdits() const { return !ChangedFields().empty(); }

    // The image to apply: the edited image with the change flags of the fields
    // that differ from the base, every other flag clear.
    ShareData PrepareApply() const;
    // The prepared image went out: it becomes the new base, and the edited
    // image takes its flags.
    void Applied(const ShareData& applied);

    // A newer image from the section. Field by field: where the person has not
    // changed the field, edited takes the incoming value; where they have, the
    // edit stays. The incoming image becomes the base. Returns the names of the
    // edited fields the section also changed (the person's value won).
    std::vector<std::string> Merge(const ShareData& incoming);

private:
    std::unique_ptr<ShareData> base_;  // 83,684 bytes each: on the heap
    std::unique_ptr<ShareData> edited_;
};

// Writes the edits of a kept draft (the fields its edited image changes
// against its base) over the session's edited image, leaving every other
// field as the session holds it. Returns how many fields it wrote.
int RestoreEdits(EditSession& session, const ShareData& draftBase, const ShareData& draftEdited);

// The change flags of the fields that differ between before and after are set
// in after, every other flag cleared.
void MarkChangedFields(const ShareData& before, ShareData& after);

// How many frames a changed-only push of this image sends (every one
// accepted), and so how far the customizer's progress bar goes.
int FramesOfChangedPush(const ShareData& image);

// Whether a value may be stored in the field: the field table's range, and
// for DPI resolutions only the indexes the mouse takes (resolution.h). Empty
// when it may; otherwise a sentence for the person ("... must be 1 to 11").
std::string CheckValue(const Field& field, const FieldValue& value);

}  // namespace korvid
