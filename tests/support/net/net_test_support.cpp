#include "tests/support/net/net_test_support.h"

#include <system_error>

#include "support/Log.h"

namespace fs = std::filesystem;

namespace {

fs::path& LogFolder() {
    static fs::path folder;
    return folder;
}

// Points the logs at a private folder before the first test, so the tests can read them.
class CLogEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        LogFolder() = fs::path(temp) / (L"vexo-net-log-" + std::to_wstring(GetCurrentProcessId()));
        fs::create_directories(LogFolder());
        SetLogBasePath((LogFolder() / L"net.log").wstring());
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(LogFolder(), ignored);  // fails while the logger keeps its files open
    }
};

const ::testing::Environment* const g_logEnvironment =
    ::testing::AddGlobalTestEnvironment(new CLogEnvironment);

}  // namespace

std::string DocrootFile(const wchar_t* name) {
    return ReadBytes((fs::path(WinePath(EnvText(L"VEXO_NET_DOCROOT"))) / name).wstring());
}

std::string Narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text) result += c < 128 ? static_cast<char>(c) : '?';
    return result;
}

fs::path GeneralLogPath() { return LogFolder() / L"net.normal.log"; }
fs::path TrafficLogPath() { return LogFolder() / L"net.http.log"; }

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

std::string Blob(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + 3) % 251);
    return bytes;
}

CLogTail::CLogTail(fs::path path) : m_path(std::move(path)) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(m_path, error);
    m_start = error ? 0 : size;
}

std::string CLogTail::Text() const {
    const std::string all = ReadBytes(m_path);
    return m_start < all.size() ? all.substr(static_cast<size_t>(m_start)) : std::string();
}

void ServerTest::SetUp() {
    m_http = EnvText(L"VEXO_NET_HTTP");
    m_nginx = EnvText(L"VEXO_NET_NGINX");
    m_refused = EnvText(L"VEXO_NET_REFUSED");
    m_accessLog = WinePath(EnvText(L"VEXO_NET_ACCESS_LOG"));
    if (m_http.empty() || m_nginx.empty()) {
        GTEST_SKIP() << "needs the servers of run_net_tests.py";
    }
}
