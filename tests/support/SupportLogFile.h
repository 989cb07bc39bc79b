#pragma once
// The support library tests' log file, beside the shared file helpers.

#include <string>

#include "tests/common/TestFiles.h"

namespace testfiles {

// The general log's file for the whole test program: the log base path is set once, before
// anything is logged, to a folder of its own, and the log is opened at once (first line
// "test log opened"). The folder is removed at exit.
std::wstring GeneralLogFile();

}  // namespace testfiles
