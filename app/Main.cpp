// Start-up of the offline installer.
#include <windows.h>

#include "app/PackageStamp.h"
#include "support/Log.h"
#include "support/TextConvert.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const TPackageStamp stamp = ReadPackageStamp();
    const TLogRecord record = {3, L"Main.cpp", __LINE__};
    WriteLog(&record, L"package stamp: game %s, source %s",
             ThreadAnsiToWide(stamp.gameId.c_str()).c_str(),
             ThreadAnsiToWide(stamp.comefrom.c_str()).c_str());
    return 0;
}
