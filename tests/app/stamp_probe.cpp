// Prints the package stamp of its own executable file as "GameId|Comefrom".
#include <cstdio>

#include "app/PackageStamp.h"

int main() {
    const TPackageStamp stamp = ReadPackageStamp();
    std::printf("%s|%s\n", stamp.gameId.c_str(), stamp.comefrom.c_str());
    return 0;
}
