#include "tests/app/AppTestSupport.h"

#include <atomic>

#include "rapidjson/document.h"
#include "support/LibHttpHelper.h"
#include "support/TextConvert.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/skin/StringTable.h"

namespace {

// The program's texts come from the skin's string tables; the tests read the Chinese one from
// the source tree (tests that switch language switch back).
class CSkinTextsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        SkinUI::CWindowManagerUI::SetSkinPath(VEXO_SKIN_DIR);
        ASSERT_TRUE(SkinUI::LoadStringTableFile(L"strings.zh-CN.xml"));
    }
};

::testing::Environment* const g_skinTexts = ::testing::AddGlobalTestEnvironment(new CSkinTextsEnvironment);

// JSON text of a string (UTF-8, quoted, with the characters JSON needs escaped).
std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string JsonObject(const std::map<std::string, std::string>& values) {
    std::string out = "{";
    for (const auto& [name, value] : values) {
        if (out.size() > 1) out += ",";
        out += JsonString(name) + ":" + JsonString(value);
    }
    return out + "}";
}

void Control(const std::string& body) {
    std::string reply;
    int status = 0;
    CLibHttpHelper::HttpGet(PlatformUrl() + L"/control", L"application/json", &status, body, reply, false);
    ASSERT_EQ(status, 200) << reply;
}

std::string Member(const rapidjson::Value& object, const char* name) {
    const auto found = object.FindMember(name);
    return found != object.MemberEnd() && found->value.IsString() ? found->value.GetString() : std::string();
}

}  // namespace

std::wstring PlatformUrl() { return testfiles::EnvText(L"VEXO_PLATFORM"); }
std::string PlatformUrlNarrow() { return Utf8(PlatformUrl()); }

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int count = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string out(count, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], count, nullptr, nullptr);
    return out;
}

void SetPlatformModes(const std::map<std::string, std::string>& modes) {
    Control("{\"set\":" + JsonObject(modes) + "}");
}

void ClearPlatformRequests() { Control("{\"clear\":true}"); }

void SetInstallerConfig(const std::map<std::string, std::string>& config) {
    Control("{\"installer\":" + JsonObject(config) + "}");
}

std::vector<TRecordedRequest> PlatformRequests(const std::string& service) {
    std::string text;
    CLibHttpHelper::HttpGetDefault(PlatformUrl() + L"/control/requests", text);
    std::vector<TRecordedRequest> requests;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        rapidjson::Document line;
        line.Parse(text.c_str() + start, end - start);
        start = end + 1;
        if (line.HasParseError() || !line.IsObject()) continue;
        TRecordedRequest request;
        request.service = Member(line, "service");
        if (!service.empty() && request.service != service) continue;
        request.mode = Member(line, "mode");
        request.method = Member(line, "method");
        request.path = Member(line, "path");
        request.query = Member(line, "query");
        request.body = Member(line, "body");
        const auto headers = line.FindMember("headers");
        if (headers != line.MemberEnd() && headers->value.IsObject()) {
            for (const auto& header : headers->value.GetObject()) {
                if (!header.value.IsString()) continue;
                const std::string name = header.name.GetString();
                if (_stricmp(name.c_str(), "Range") == 0) request.range = header.value.GetString();
                if (_stricmp(name.c_str(), "If-Range") == 0) request.ifRange = header.value.GetString();
                if (_stricmp(name.c_str(), "User-Agent") == 0) request.userAgent = header.value.GetString();
                if (_stricmp(name.c_str(), "Content-Type") == 0) request.contentType = header.value.GetString();
            }
        }
        requests.push_back(request);
    }
    return requests;
}

std::string ServedInstaller() {
    std::string bytes;
    CLibHttpHelper::HttpGetDefault(PlatformUrl() + L"/client/VexoInstall.exe", bytes);
    return bytes;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done() && GetTickCount64() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return done();
}

CTestRegistryKey::CTestRegistryKey() {
    static std::atomic<int> counter{0};
    m_path = L"Software\\VexoTests\\Key-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

CTestRegistryKey::~CTestRegistryKey() { RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str()); }

bool CTestRegistryKey::SetString(const std::wstring& name, const std::wstring& value) const {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(HKEY_CURRENT_USER, m_path.c_str(), name.c_str(), REG_SZ, value.c_str(), bytes) ==
           ERROR_SUCCESS;
}

bool CTestRegistryKey::SetDword(const std::wstring& name, DWORD value) const {
    return RegSetKeyValueW(HKEY_CURRENT_USER, m_path.c_str(), name.c_str(), REG_DWORD, &value, sizeof value) ==
           ERROR_SUCCESS;
}

void PlatformTest::SetUp() {
    m_platform = PlatformUrl();
    if (m_platform.empty()) GTEST_SKIP() << "no stand-in platform (run through run_app_tests.py)";
    m_temp = std::make_unique<testfiles::CTempDir>();
    m_clientKey = std::make_unique<CTestRegistryKey>();
    m_savedTmp = testfiles::EnvText(L"TMP");
    // The installer's files (pictures, VexoInstall.exe) land in the test's own folder.
    SetEnvironmentVariableW(L"TMP", (m_temp->Path() + L"\\").c_str());
    Control("{\"clear\":true,\"set\":{\"gameinfo\":\"ok\",\"assets\":\"ok\",\"data\":\"ok\",\"installer\":\"ok\","
            "\"stats\":\"ok\"}}");
    ConfigureInstaller({});
}

void PlatformTest::TearDown() {
    if (m_platform.empty()) return;
    SetEnvironmentVariableW(L"TMP", m_savedTmp.empty() ? nullptr : m_savedTmp.c_str());
}

void PlatformTest::ConfigureInstaller(const std::map<std::string, std::string>& more) {
    std::map<std::string, std::string> config = {{"key", Utf8(m_clientKey->Path())}, {"dir", Utf8(ClientDir())}};
    for (const auto& [name, value] : more) config[name] = value;
    SetInstallerConfig(config);
}
