// The process runner, with a child program that records its command line and start-up facts
// and exits with the code it is told (through its inherited environment).

#include "support/ProcessEntity.h"
#include "tests/support/net/net_test_support.h"

namespace fs = std::filesystem;

namespace {

class ProcessRunner : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring child = EnvText(L"VEXO_NET_CHILD");
        if (child.empty()) GTEST_SKIP() << "needs VEXO_NET_CHILD from run_net_tests.py";
        fs::create_directories(fs::path(m_folder / L"dir with spaces"));
        fs::copy_file(WinePath(child), m_program);
        SetEnvironmentVariableW(L"VEXO_CHILD_RECORD", m_record.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"VEXO_CHILD_RECORD", nullptr);
        SetEnvironmentVariableW(L"VEXO_CHILD_EXIT", nullptr);
    }

    // The child's record: its command line, then its start-up facts.
    std::wstring Record() const {
        const std::string bytes = ReadBytes(m_record);
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    }

    CTempDir m_folder;
    std::wstring m_program = m_folder / L"dir with spaces\\child prog.exe";
    std::wstring m_record = m_folder / L"record.txt";
};

TEST_F(ProcessRunner, RunsHiddenWithQuotedPathAndSwitches) {
    SetEnvironmentVariableW(L"VEXO_CHILD_EXIT", L"3010");
    const CLogTail log;
    DWORD code = 1;
    ASSERT_TRUE(ExecuteProcess(m_program, &code));
    EXPECT_EQ(code, 3010u);
    const std::wstring expected = L"\"" + m_program + L"\" /qn QR=\"true\"";
    EXPECT_EQ(BuildInstallerCommandLine(m_program), expected);
    EXPECT_EQ(Record(), expected + L"\nflags=257 show=0 console=0\n");
    const std::string text = log.Text();
    EXPECT_NE(text.find("(103)("), std::string::npos) << text;
    EXPECT_NE(text.find("CreateProcess--result is 1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("(128)("), std::string::npos) << text;
    EXPECT_NE(text.find("WaitForSingleObject Process exit,code is 3010\r\n"), std::string::npos);
}

TEST_F(ProcessRunner, NullExitCodePointerStillWaitsAndLogs) {
    SetEnvironmentVariableW(L"VEXO_CHILD_EXIT", L"7");
    const CLogTail log;
    EXPECT_TRUE(ExecuteProcess(m_program, nullptr));
    EXPECT_TRUE(fs::exists(m_record));
    EXPECT_NE(log.Text().find("code is 7\r\n"), std::string::npos) << log.Text();
}

TEST_F(ProcessRunner, FailuresLeaveTheExitCodeAlone) {
    const struct {
        std::wstring path;
        const char* line;
    } cases[] = {
        {m_folder / L"missing.exe", "(84)("},
        {m_folder / L"not a program.exe", "CreateProcess--result is 0"},
    };
    WriteBytes(cases[1].path, "this is not a program");
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        const CLogTail log;
        DWORD code = 55;
        EXPECT_FALSE(ExecuteProcess(c.path, &code));
        EXPECT_EQ(code, 55u);
        EXPECT_NE(log.Text().find(c.line), std::string::npos) << log.Text();
    }
    EXPECT_FALSE(fs::exists(m_record));
}

TEST_F(ProcessRunner, MissingFileLineNamesThePath) {
    const std::wstring missing = m_folder / L"missing.exe";
    const CLogTail log;
    EXPECT_FALSE(ExecuteProcess(missing, nullptr));
    const std::string text = log.Text();
    EXPECT_NE(text.find("ExecuteProcess--quit!!--file not exist : " + Narrow(missing) + "\r\n"),
              std::string::npos) << text;
    EXPECT_EQ(text.find("CreateProcess"), std::string::npos) << text;
}

}  // namespace
