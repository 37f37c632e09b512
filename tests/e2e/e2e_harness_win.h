// The shared test harness (tests/harness), used unqualified by the
// end-to-end tests; host_test_fixture_win.cpp makes its failures fail the
// running test.
#pragma once

#include "base/unique_resource_win.h"
#include "child_process_win.h"
#include "driver_log_win.h"
#include "folders_win.h"
#include "reply_probe_win.h"
#include "waits_win.h"
#include "window_thread_win.h"

namespace korvid::e2e {
using namespace korvid::harness;
}  // namespace korvid::e2e
