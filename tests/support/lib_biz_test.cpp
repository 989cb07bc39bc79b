// Library home folder, "config.ini" values, the per-user registry reader and form encoding.

#include <gtest/gtest.h>
#include <windows.h>

#include "support/LibBiz.h"
#include "support/Log.h"
#include "support/UniqueHandle.h"
#include "tests/support/SupportLogFile.h"

namespace {

std::wstring ExePath() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

}  // namespace

TEST(LibBiz, FoldersOfTheExecutable) {
    const std::wstring dir = GetExeDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), L'\\');
    const std::wstring exe = ExePath();
    EXPECT_EQ(exe.compare(0, dir.size(), dir), 0);
    EXPECT_EQ(exe.find(L'\\', dir.size()), std::wstring::npos);  // cut after the last backslash

    // Statically linked: the library's code lives in the executable itself.
    EXPECT_EQ(GetCodeModuleDirectory(), dir);
    EXPECT_FALSE(IsCodeInModule(L"WrapPlugin.dll"));
    const std::wstring exeName = exe.substr(dir.size());
    EXPECT_TRUE(IsCodeInModule(exeName));
    std::wstring upper = exeName;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    EXPECT_TRUE(IsCodeInModule(upper));
    EXPECT_FALSE(IsCodeInModule(exeName.substr(0, exeName.size() - 1)));  // must end the path
    EXPECT_FALSE(IsCodeInModule(L""));
    EXPECT_EQ(GetConfigDirectory(), dir);
}

class ConfigValueTest : public ::testing::Test {
protected:
    void TearDown() override { DeleteFileW(m_file.c_str()); }
    void WriteConfig(const std::string& text) { testfiles::WriteBytes(m_file, text); }
    const std::wstring m_file = GetConfigDirectory() + L"config.ini";
};

TEST_F(ConfigValueTest, MissingFileSectionOrKeyGivesTheDefault) {
    DeleteFileW(m_file.c_str());
    EXPECT_EQ(GetConfigValue(L"loghttp", L""), L"");
    EXPECT_EQ(GetConfigValue(L"loghttp", L"fallback"), L"fallback");
    WriteConfig("[other]\r\nloghttp=1\r\n");
    EXPECT_EQ(GetConfigValue(L"loghttp", L"d"), L"d");
    WriteConfig("[config]\r\nsomething=1\r\n");
    EXPECT_EQ(GetConfigValue(L"loghttp", L"d"), L"d");
}

TEST_F(ConfigValueTest, ValueIsReadAndCutTo199Characters) {
    const std::string longValue(250, 'v');
    WriteConfig("[config]\r\nloghttp=1\r\nlong=" + longValue + "\r\n");
    EXPECT_EQ(GetConfigValue(L"loghttp", L""), L"1");
    EXPECT_EQ(GetConfigValue(L"LOGHTTP", L""), L"1");  // profile keys ignore case
    EXPECT_EQ(GetConfigValue(L"long", L""), std::wstring(199, L'v'));
}

// The key "log" names the log's file beside the executable; without it, or with a value that is
// not a plain file name, the base path stays as it was.
TEST_F(ConfigValueTest, LogKeySetsTheLogBasePath) {
    const std::wstring before = GetLogBasePath();
    WriteConfig("[config]\r\nloghttp=1\r\n");
    EXPECT_EQ(ConfigureLogFromConfigFile(), L"");
    EXPECT_EQ(GetLogBasePath(), before);
    for (const char* refused : {"support\\player.log", "support\\", "C:\\player.log", "..\\player.log", "NUL"}) {
        WriteConfig(std::string("[config]\r\nlog=") + refused + "\r\n");
        EXPECT_EQ(ConfigureLogFromConfigFile(), L"") << refused;
        EXPECT_EQ(GetLogBasePath(), before) << refused;
    }
    WriteConfig("[config]\r\nlog=player.log\r\n");
    EXPECT_EQ(ConfigureLogFromConfigFile(), GetConfigDirectory() + L"player.log");
    EXPECT_EQ(GetLogBasePath(), GetConfigDirectory() + L"player.log");
    SetLogBasePath(before);
    DeleteFileW((GetConfigDirectory() + L"player.normal.log").c_str());
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        m_key.Reset(key);
    }
    void TearDown() override {
        m_key.Reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, m_subKey.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VexoSupportTests");  // only when empty
    }
    void SetString(const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ) {
        RegSetValueExW(m_key.Get(), name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    const std::wstring m_subKey = L"Software\\VexoSupportTests\\Core" + std::to_wstring(GetCurrentProcessId());
    bxutil::CRegistryKey m_key;
};

TEST_F(RegistryTest, ReadsStringValues) {
    SetString(L"Path", L"C:\\Program Files\\Vexo\\vexo.exe");
    SetString(L"Empty", L"");
    SetString(L"Fits", std::wstring(1023, L'x'));  // 2048 bytes with its terminator
    std::wstring out;
    ASSERT_TRUE(ReadUserRegistryString(m_subKey, L"Path", out));
    EXPECT_EQ(out, L"C:\\Program Files\\Vexo\\vexo.exe");
    ASSERT_TRUE(ReadUserRegistryString(m_subKey, L"Empty", out));
    EXPECT_EQ(out, L"");
    ASSERT_TRUE(ReadUserRegistryString(m_subKey, L"Fits", out));
    EXPECT_EQ(out, std::wstring(1023, L'x'));
}

TEST_F(RegistryTest, FailuresLeaveTheOutputUnchanged) {
    const DWORD number = 7;
    RegSetValueExW(m_key.Get(), L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    SetString(L"TooLong", std::wstring(1024, L'x'));
    SetString(L"Multi", std::wstring(L"a\0b\0", 4), REG_MULTI_SZ);
    const struct {
        std::wstring subKey;
        const wchar_t* value;
    } cases[] = {
        {m_subKey, L"Number"},  {m_subKey, L"TooLong"}, {m_subKey, L"Multi"},
        {m_subKey, L"Missing"}, {m_subKey + L"\\NoSuchKey", L"Path"},
    };
    for (const auto& c : cases) {
        std::wstring out = L"unchanged";
        EXPECT_FALSE(ReadUserRegistryString(c.subKey, c.value, out)) << c.value;
        EXPECT_EQ(out, L"unchanged");
    }
}

TEST(UrlEncodeForm, EncodesByteByByte) {
    const struct {
        std::string in;
        const char* expected;
    } cases[] = {
        {"", ""},
        {"a b/c", "a+b%2fc"},
        {"\xE4", "%e4"},
        {"~.-_", "~.-_"},
        {"AZaz09", "AZaz09"},
        {"{\"k\":\"v\"}&=", "%7b%22k%22%3a%22v%22%7d%26%3d"},
        {std::string("a\0b", 3), "a%00b"},
        {"\xE4\xB8\xAD\xFF", "%e4%b8%ad%ff"},
    };
    for (const auto& c : cases) EXPECT_EQ(UrlEncodeForm(c.in), c.expected);
}
