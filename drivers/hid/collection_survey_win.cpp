#include "hid/collection_survey_win.h"

#include "hid/hid_enumeration_win.h"

namespace korvid::hid {
namespace {

DWORD OpenError(const HidApi& api, const std::wstring& path, DWORD access) {
    const DeviceHandle handle(api, api.CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    return handle ? 0 : GetLastError();
}

}  // namespace

CollectionSurvey SurveyCollections(const HidApi& api, UsbIds ids, const CollectionNames& names, bool all) {
    CollectionSurvey survey;
    const std::vector<CollectionDeclaration> collections =
        DeclaredCollections(api, all ? std::nullopt : std::optional<UsbIds>(ids));
    const CollectionChoice choice = ChooseCollections(collections, ids, names);
    for (std::size_t i = 0; i < collections.size(); ++i) {
        SurveyedCollection c;
        c.declaration = collections[i];
        c.readWriteError = OpenError(api, c.declaration.path, GENERIC_READ | GENERIC_WRITE);
        c.zeroAccessError = OpenError(api, c.declaration.path, 0);
        c.frameVerdict = choice.frameVerdicts[i];
        c.eventVerdict = choice.eventVerdicts[i];
        survey.collections.push_back(std::move(c));
    }
    // The library takes the first candidate that opens: for frames also
    // without access, for events only for reading.
    for (const std::size_t index : choice.frameCandidates) {
        const SurveyedCollection& c = survey.collections[index];
        const bool refused = c.readWriteError == ERROR_ACCESS_DENIED || c.readWriteError == ERROR_SHARING_VIOLATION;
        if (c.readWriteError == 0 || (refused && c.zeroAccessError == 0)) {
            survey.frames = index;
            survey.framesWithoutAccess = c.readWriteError != 0;
            break;
        }
    }
    for (const std::size_t index : choice.eventCandidates) {
        if (survey.collections[index].readWriteError == 0) {
            survey.events = index;
            break;
        }
    }
    return survey;
}

}  // namespace korvid::hid
