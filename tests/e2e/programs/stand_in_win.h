// What the stand-in program (test_program_win.cpp) and the tests that stage
// it agree on.
#pragma once

namespace korvid::e2e {

// The variable naming the file in which every start of a stand-in leaves a
// line "<its own full path>|<arguments>".
inline constexpr wchar_t kStandInLogVariable[] = L"KORVID_TEST_PROGRAM_LOG";

}  // namespace korvid::e2e
