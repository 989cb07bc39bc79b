// The publisher check of the client installer: the stand-in platform serves its installer signed
// by the publisher, by another publisher, under the publisher's name by a certificate no
// authority vouches for, unsigned, and changed after signing; files that are no signed program
// are made here.

#include <gtest/gtest.h>

#include <cstring>
#include <cwctype>
#include <string>

#include "app/ClientInstallerTrust.h"
#include "support/UniqueHandle.h"
#include "tests/app/AppTestSupport.h"

using testfiles::WriteBytes;

namespace {

constexpr wchar_t kPublisher[] = L"Vexo Test Publisher";
constexpr wchar_t kOtherPublisher[] = L"Other Test Publisher";

class ClientInstallerTrustTest : public PlatformTest {
protected:
    // The installer the platform serves in an installer mode, as a file of this test.
    std::wstring Served(const char* mode) {
        SetPlatformModes({{"installer", mode}});
        const std::wstring path = Temp(std::wstring(L"served-") + std::wstring(mode, mode + std::strlen(mode)) + L".exe");
        WriteBytes(path, ServedInstaller());
        return path;
    }
    static TInstallerTrust Check(const std::wstring& path, const std::wstring& publisher) {
        const bxutil::CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(file) << Utf8(path);
        return CheckInstallerPublisher(file.Get(), path, publisher);
    }
    // The publisher's certificate's SHA-256, as the driver computed it from the certificate.
    static std::wstring Thumbprint() { return testfiles::EnvText(L"VEXO_PUBLISHER_SHA256"); }
};

// The thumbprint written as a certificate viewer shows it: upper case, in pairs with colons.
std::wstring AsViewerShowsIt(const std::wstring& thumbprint) {
    std::wstring text;
    for (size_t i = 0; i < thumbprint.size(); ++i) {
        if (i > 0 && i % 2 == 0) text += L':';
        text += static_cast<wchar_t>(std::towupper(thumbprint[i]));
    }
    return text;
}

TEST_F(ClientInstallerTrustTest, OnlyThePublishersSoundSignatureIsTrusted) {
    ASSERT_EQ(Thumbprint().size(), 64u) << "the driver names the publisher's thumbprint";
    const std::wstring signedByPublisher = Served("ok");
    const std::wstring otherThumbprint(64, L'0');
    struct TCase {
        const char* mode;
        std::wstring publisher;
        EInstallerTrust verdict;
        const wchar_t* signer;  // null: no signer is named
    };
    const TCase cases[] = {
        {"ok", kPublisher, EInstallerTrust::kTrusted, kPublisher},
        {"ok", Thumbprint(), EInstallerTrust::kTrusted, kPublisher},
        {"ok", AsViewerShowsIt(Thumbprint()), EInstallerTrust::kTrusted, kPublisher},
        {"ok", otherThumbprint, EInstallerTrust::kOtherPublisher, kPublisher},
        {"ok", L"vexo test publisher", EInstallerTrust::kOtherPublisher, kPublisher},
        {"ok", L"Vexo Test", EInstallerTrust::kOtherPublisher, kPublisher},
        {"othersigner", kPublisher, EInstallerTrust::kOtherPublisher, kOtherPublisher},
        {"othersigner", kOtherPublisher, EInstallerTrust::kTrusted, kOtherPublisher},
        {"othersigner", Thumbprint(), EInstallerTrust::kOtherPublisher, kOtherPublisher},
        {"impostor", kPublisher, EInstallerTrust::kUntrustedSigner, kPublisher},
        {"unsigned", kPublisher, EInstallerTrust::kUnsigned, nullptr},
        {"unsigned", Thumbprint(), EInstallerTrust::kUnsigned, nullptr},
        {"tampered", kPublisher, EInstallerTrust::kBadSignature, nullptr},
        {"forged", kPublisher, EInstallerTrust::kBadSignature, nullptr},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " / " + Utf8(c.publisher));
        const TInstallerTrust trust = Check(std::string(c.mode) == "ok" ? signedByPublisher : Served(c.mode), c.publisher);
        EXPECT_EQ(trust.verdict, c.verdict) << "WinVerifyTrust 0x" << std::hex << trust.status;
        EXPECT_EQ(trust.signer, c.signer ? c.signer : L"");
    }
}

// Files that are no signed program, or whose signature's place lies about itself, are refused
// as unsigned or as a signature that does not hold; never trusted.
TEST_F(ClientInstallerTrustTest, MalformedFilesAreNeverTrusted) {
    const std::string image = testfiles::ReadBytes(Served("ok"));
    ASSERT_GT(image.size(), 4096u);
    const size_t pe = static_cast<unsigned char>(image[0x3C]) | static_cast<unsigned char>(image[0x3D]) << 8;
    // The certificate table's data-directory entry of a PE32 (i686) or PE32+ image.
    const bool pe32 = image[pe + 24] == 0x0B && image[pe + 25] == 0x01;
    const size_t securityEntry = pe + 24 + (pe32 ? 96 : 112) + 4 * 8;
    auto withEntry = [&](unsigned offset, unsigned size) {
        std::string bytes = image;
        for (int i = 0; i < 4; ++i) {
            bytes[securityEntry + i] = static_cast<char>(offset >> (8 * i));
            bytes[securityEntry + 4 + i] = static_cast<char>(size >> (8 * i));
        }
        return bytes;
    };
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"text", "MZ but no program\r\n"},
        {"headers only", image.substr(0, 1024)},
        {"signature cut short", image.substr(0, image.size() - 100)},
        {"table past the end", withEntry(static_cast<unsigned>(image.size()) - 8, 0x10000)},
        {"table of huge size", withEntry(static_cast<unsigned>(image.size()) - 8, 0xFFFFFFF0u)},
        {"table inside the headers", withEntry(0x40, 0x100)},
        {"bytes after the table", image + std::string(16, '\0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = Temp(L"malformed.exe");
        WriteBytes(path, c.bytes);
        const TInstallerTrust trust = Check(path, kPublisher);
        EXPECT_TRUE(trust.verdict == EInstallerTrust::kUnsigned || trust.verdict == EInstallerTrust::kBadSignature)
            << "verdict " << static_cast<int>(trust.verdict) << ", WinVerifyTrust 0x" << std::hex << trust.status;
    }
}

TEST(ClientPublisherSetting, ThumbprintsAreToldFromNames) {
    const std::wstring hex(64, L'a');
    EXPECT_TRUE(IsThumbprintPublisher(hex));
    EXPECT_TRUE(IsThumbprintPublisher(L"AB:" + std::wstring(62, L'F')));
    EXPECT_TRUE(IsThumbprintPublisher(L"ab " + std::wstring(62, L'0')));
    EXPECT_FALSE(IsThumbprintPublisher(hex.substr(1)));
    EXPECT_FALSE(IsThumbprintPublisher(hex + L"a"));
    EXPECT_FALSE(IsThumbprintPublisher(L"g" + hex.substr(1)));
    EXPECT_FALSE(IsThumbprintPublisher(L"\xFF21" + hex.substr(1)));  // a full-width "A"
    EXPECT_FALSE(IsThumbprintPublisher(kPublisher));
    EXPECT_FALSE(IsThumbprintPublisher(L""));
}

}  // namespace
