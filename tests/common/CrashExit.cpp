// Linked into every test program (the object library vexo_crash_exit): installs the exit for exceptions
// nothing handles before any test runs.

#include "tests/common/CrashExit.h"

namespace {

const LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter =
    ::SetUnhandledExceptionFilter(&testcrash::ExitWithExceptionCode);

}  // namespace
