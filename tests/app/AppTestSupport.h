#pragma once
// Shared helpers of the installer-logic tests: the stand-in platform the driver started
// (run_app_tests.py), its recorded requests and switches, and a private temporary folder and
// client registration for each test.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/TestFiles.h"

// One request as the platform recorded it.
struct TRecordedRequest {
    std::string service;  // gameinfo, assets, data, installer, stats
    std::string mode;     // the misbehaviour in force
    std::string method;
    std::string path;     // as sent
    std::string query;    // percent-decoded
    std::string body;
    std::string range;    // the Range header, if any
    std::string ifRange;  // the If-Range header, if any
    std::string userAgent;
    std::string contentType;
};

// The platform's address ("https://localhost:PORT"); empty when the driver started none.
std::wstring PlatformUrl();
std::string PlatformUrlNarrow();
// Sets misbehaviour modes ({"data": "noaddress"}); services not named keep theirs.
void SetPlatformModes(const std::map<std::string, std::string>& modes);
// Forgets the requests the platform recorded so far.
void ClearPlatformRequests();
// Replaces the served installer's behaviour ({"exit": "3"}).
void SetInstallerConfig(const std::map<std::string, std::string>& config);
// What the platform recorded since the last reset, optionally of one service only.
std::vector<TRecordedRequest> PlatformRequests(const std::string& service = std::string());
// The installer the platform serves now, as bytes.
std::string ServedInstaller();

// UTF-8 of wide text, for comparisons.
std::string Utf8(const std::wstring& text);

// Dispatches this thread's messages until done() or timeoutMs have passed; done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// A registry key of the current user that is deleted with everything under it when the object
// goes.
class CTestRegistryKey {
public:
    CTestRegistryKey();
    ~CTestRegistryKey();
    CTestRegistryKey(const CTestRegistryKey&) = delete;
    CTestRegistryKey& operator=(const CTestRegistryKey&) = delete;
    const std::wstring& Path() const { return m_path; }
    bool SetString(const std::wstring& name, const std::wstring& value) const;
    bool SetDword(const std::wstring& name, DWORD value) const;

private:
    std::wstring m_path;
};

// Tests that need the stand-in platform; skipped without it. Each test starts with a platform
// that behaves (all modes ok, no recorded requests), a temporary folder of its own (TMP points
// there while it runs), a client registration key of its own, and a served installer that
// installs the stand-in client into Client() and registers it there.
class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::wstring Temp(const std::wstring& name) const { return m_temp->File(name); }
    std::wstring ClientDir() const { return m_temp->File(L"client"); }
    // The installer settings every test starts with, plus more.
    void ConfigureInstaller(const std::map<std::string, std::string>& more);

    std::wstring m_platform;
    std::unique_ptr<testfiles::CTempDir> m_temp;
    std::unique_ptr<CTestRegistryKey> m_clientKey;

private:
    std::wstring m_savedTmp;
};
