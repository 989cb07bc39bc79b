#include "tests/support/SupportLogFile.h"

#include <cstdlib>

#include "support/Log.h"

namespace testfiles {

namespace {
CTempDir* g_pGeneralLogDir = nullptr;
}

std::wstring GeneralLogFile() {
    static const std::wstring file = [] {
        g_pGeneralLogDir = new CTempDir;
        // Registered before the logger's own exit-time close, so it runs after it.
        std::atexit([] { delete g_pGeneralLogDir; });
        SetLogBasePath(g_pGeneralLogDir->File(L"support.log"));
        // Opens the general log now: later base path changes of other tests no longer move it.
        const TLogRecord record{3, L"TestFiles.cpp", __LINE__};
        WriteLog(&record, L"test log opened");
        return g_pGeneralLogDir->File(L"support.normal.log");
    }();
    return file;
}

}  // namespace testfiles
