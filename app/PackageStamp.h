#pragma once
// The package stamp: 17 bytes written into the executable after the build, naming the game this
// installer is for and the channel it was handed out through: into the DOS-stub text of an
// unsigned executable, into the signature of a signed one.

#include <cstddef>
#include <string>

struct TPackageStamp {
    std::string gameId;    // characters 0 to 6 of the stamp text, as they stand
    std::string comefrom;  // characters 8 to 16, spaces stripped from both ends
};

constexpr long kPackageStampOffset = 0x4E;
constexpr size_t kPackageStampSize = 17;

// Splits raw stamp bytes (at most 17; the text ends at the first NUL) into the two fields.
TPackageStamp ParsePackageStamp(const char* bytes, size_t count);

// The stamp of an executable file's bytes: the one inside its signature (app/SignatureStamp.h)
// when it has one, else the 17 bytes at 0x4E of the DOS stub, where unsigned builds are stamped
// (and a signed build that was stamped before it was signed). A file that ends inside the DOS
// stub's stamp gives the fields of the bytes it has. Reads only inside [image, image + size).
TPackageStamp ReadPackageStampFromImage(const unsigned char* image, size_t size);

// Reads the stamp of the given file as ReadPackageStampFromImage does. A file that cannot be
// opened gives two empty values.
TPackageStamp ReadPackageStampFromFile(const wchar_t* path);

// Reads the stamp of the running executable.
TPackageStamp ReadPackageStamp();

// The game the installer is for: the stamp's game id when it is one (exactly seven ASCII digits,
// the first not 0), else the default game 1000450. The unstamped executable reads "This pr" there, and anything
// else that is no id would reach the client's command line, the JSON bodies and the report.
std::string EffectiveGameId(const std::string& stampedGameId);
