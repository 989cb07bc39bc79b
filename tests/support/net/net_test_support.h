#pragma once
// Shared helpers of the network tests: server addresses from the driver, temporary folders,
// reading the logs and files the code under test writes.

#include <windows.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/common/TestFiles.h"

using testfiles::CTempDir;
using testfiles::EnvText;
using testfiles::WinePath;
using testfiles::ReadBytes;
using testfiles::WriteBytes;

// The bytes of a file in the nginx document root.
std::string DocrootFile(const wchar_t* name);

// Narrow text for gtest messages and comparisons with the logs.
std::string Narrow(const std::wstring& text);

// The log files the test program writes (set once, before any test runs).
std::filesystem::path GeneralLogPath();
std::filesystem::path TrafficLogPath();

// What a log file (by default the one WriteLog fills) gained since the object was made.
class CLogTail {
public:
    explicit CLogTail(std::filesystem::path path = GeneralLogPath());
    std::string Text() const;

private:
    std::filesystem::path m_path;
    std::uintmax_t m_start;
};

// How often part occurs in text.
size_t CountOf(const std::string& text, const std::string& part);

// The blob pattern of the scriptable server: byte i is (i * 7 + 3) % 251.
std::string Blob(size_t size);

// Fixture for tests that need the driver's servers; skips when run without them.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override;

    std::wstring m_http;      // the scriptable server
    std::wstring m_nginx;     // nginx, plain HTTP
    std::wstring m_refused;   // a loopback port nothing listens on
    std::filesystem::path m_accessLog;  // nginx's: "METHOD URI range=[RANGE] status=STATUS"
};
