// The client installer: the data service's reply, the download that continues a partial file,
// the digest check, the silent run and the removal of the installer.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/ClientLaunch.h"
#include "app/FileHash.h"
#include "app/ServiceHosts.h"
#include "app/VexoInstallHelper.h"
#include "tests/app/AppTestSupport.h"

using testfiles::FileExists;
using testfiles::ReadBytes;
using testfiles::WriteBytes;

namespace {

TEST(InstallerAddressReply, ReadsTheAddressAndTheDigest) {
    struct TCase {
        const char* reply;
        const char* url;
        bool hasSha256;
        const char* sha256;
    };
    const TCase cases[] = {
        {R"({"result":{"internation":{"downloadURL":"https://h/c.exe"}}})", "https://h/c.exe", false, ""},
        {R"({"result":{"internation":{"downloadURL":"https://h/c.exe","sha256":"AB"}}})", "https://h/c.exe", true,
         "AB"},
        {R"({"result":{"internation":{"downloadURL":"u","sha256":7}}})", "u", true, ""},
        {R"({"result":{"internation":{"downloadURL":12345}}})", "12345", false, ""},
        {R"({"result":{"internation":{"downloadURL":["u"]}}})", "", false, ""},
        {R"({"result":{"code":0}})", "", false, ""},
        {R"({"result":{"internation":"u"}})", "", false, ""},
        {R"({"internation":{"downloadURL":"u"}})", "", false, ""},
        {R"([1,2])", "", false, ""},
        {"not json", "", false, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.reply);
        const TInstallerAddress address = ParseInstallerAddressReply(c.reply);
        EXPECT_EQ(address.downloadUrl, c.url);
        EXPECT_EQ(address.hasSha256, c.hasSha256);
        EXPECT_EQ(address.sha256, c.sha256);
    }
}

TEST(FileHash, Sha256OfAFileInEitherCase) {
    testfiles::CTempDir temp;
    const std::wstring file = temp.File(L"abc.bin");
    WriteBytes(file, "abc");
    const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    EXPECT_EQ(Sha256OfFile(file), abc);
    EXPECT_TRUE(Sha256Matches(file, abc));
    EXPECT_TRUE(Sha256Matches(file, "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"));
    EXPECT_FALSE(Sha256Matches(file, abc.substr(1)));
    EXPECT_FALSE(Sha256Matches(file, abc + "0"));
    EXPECT_FALSE(Sha256Matches(file, "zz" + abc.substr(2)));
    EXPECT_FALSE(Sha256Matches(file, ""));
    EXPECT_FALSE(Sha256Matches(temp.File(L"missing.bin"), abc));
    WriteBytes(file, std::string(200000, 'a'));  // more than one read
    EXPECT_EQ(Sha256OfFile(file), "2287d207f24a941ff3b56c04c8a25ad56b63e3023207b3bb5b4ac0c9869d74be");
}

class InstallHelperTest : public PlatformTest {
protected:
    std::wstring InfoUrl() const { return DataServiceQueryUrlFor(m_platform); }
    // An earlier attempt whose download was cut off: the part stays with its validator.
    size_t LeavePartialDownload() {
        SetPlatformModes({{"installer", "cutoff-once"}});
        CVexoInstallHelper cut(InfoUrl());
        EXPECT_EQ(cut.Install(HttpProgressFn()), -1);
        EXPECT_EQ(cut.Failure(), EInstallFailure::kDownload);
        return ReadBytes(Installer()).size();
    }
    std::wstring Installer() const { return Temp(L"VexoInstall.exe"); }
    std::string InstallerRuns() const { return ReadBytes(ClientDir() + L"\\installer-runs.txt"); }
};

TEST_F(InstallHelperTest, AsksForTheAddressOnConstruction) {
    CVexoInstallHelper helper(InfoUrl());
    EXPECT_EQ(helper.DownloadUrl(), m_platform + L"/client/VexoInstall.exe");
    const auto queries = PlatformRequests("data");
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].method, "GET");
    EXPECT_EQ(queries[0].query, "JsonData={\"code\":\"10030\"}");
    EXPECT_EQ(queries[0].body, "");
}

TEST_F(InstallHelperTest, DownloadsChecksRunsAndDeletesTheInstaller) {
    for (const char* mode : {"ok", "upperhash", "nohash"}) {
        SCOPED_TRACE(mode);
        SetPlatformModes({{"data", mode}});
        ConfigureInstaller({{"exit", "3010"}});
        CVexoInstallHelper helper(InfoUrl());
        long long lastDone = -1, lastTotal = -1;
        EXPECT_EQ(helper.Install([&](long long done, long long total) {
            lastDone = done;
            lastTotal = total;
        }),
                  0);
        EXPECT_EQ(helper.Failure(), EInstallFailure::kNone);
        EXPECT_EQ(helper.FilePath(), Installer());
        EXPECT_EQ(helper.InstallerExitCode(), 3010u);
        EXPECT_FALSE(FileExists(Installer()));
        EXPECT_EQ(lastDone, lastTotal) << "the last report says the file is whole";
        EXPECT_GT(lastTotal, 1000000);
        EXPECT_NE(InstallerRuns().find("VexoInstall.exe\" /qn QR=\"true\""), std::string::npos) << InstallerRuns();
        EXPECT_EQ(IsClientInstalled(m_clientKey->Path()), 1);
    }
}

TEST_F(InstallHelperTest, ContinuesAPartialFileAnEarlierAttemptLeft) {
    const size_t partial = LeavePartialDownload();
    ASSERT_GT(partial, 0u);
    SetFileAttributesW(Installer().c_str(), FILE_ATTRIBUTE_READONLY);  // left read-only, too
    CVexoInstallHelper helper(InfoUrl());
    EXPECT_EQ(helper.Install(HttpProgressFn()), 0);
    const auto downloads = PlatformRequests("installer");
    ASSERT_GE(downloads.size(), 2u);  // the cut-off attempt's, then this one's
    EXPECT_EQ(downloads.back().range, "bytes=" + std::to_string(partial) + "-");
    EXPECT_FALSE(downloads.back().ifRange.empty()) << "the part's validator is named";
    EXPECT_EQ(IsClientInstalled(m_clientKey->Path()), 1) << "the joined file is the installer";
    EXPECT_FALSE(FileExists(Installer()));
    EXPECT_FALSE(FileExists(Installer() + L".validator"));
}

TEST_F(InstallHelperTest, AFileThatIsNotTheNamedInstallerIsNeverRun) {
    // A leftover changed on disk, no longer a prefix of the installer: the joined file cannot
    // match its digest.
    const size_t partial = LeavePartialDownload();
    WriteBytes(Installer(), std::string(partial, 'x'));
    SetPlatformModes({{"installer", "ok"}});
    CVexoInstallHelper helper(InfoUrl());
    EXPECT_EQ(helper.Install(HttpProgressFn()), -1);
    EXPECT_EQ(helper.Failure(), EInstallFailure::kVerify);
    EXPECT_FALSE(FileExists(Installer())) << "deleted, so the next attempt starts afresh";
    EXPECT_EQ(InstallerRuns(), "");

    // The service names a digest the download does not have.
    SetPlatformModes({{"data", "wronghash"}});
    CVexoInstallHelper wrong(InfoUrl());
    EXPECT_EQ(wrong.Install(HttpProgressFn()), -1);
    EXPECT_EQ(wrong.Failure(), EInstallFailure::kVerify);
    EXPECT_FALSE(FileExists(Installer()));
    EXPECT_EQ(InstallerRuns(), "");
    EXPECT_EQ(IsClientInstalled(m_clientKey->Path()), 0);
}

// The service's sha256 names each of these files, so only the publisher's signature tells them
// apart: an installer without it is deleted and never run. Without a publisher to require, the
// unsigned installer runs as before.
TEST_F(InstallHelperTest, OnlyThePublishersInstallerIsRun) {
    struct TCase {
        const char* installer;
        const wchar_t* publisher;
        EInstallFailure failure;
    };
    for (const TCase& c : {TCase{"unsigned", L"Vexo Test Publisher", EInstallFailure::kUnsigned},
                           TCase{"othersigner", L"Vexo Test Publisher", EInstallFailure::kOtherPublisher},
                           TCase{"impostor", L"Vexo Test Publisher", EInstallFailure::kBadSignature},
                           TCase{"tampered", L"Vexo Test Publisher", EInstallFailure::kBadSignature},
                           TCase{"ok", L"Vexo Test Publisher", EInstallFailure::kNone},
                           TCase{"unsigned", L"", EInstallFailure::kNone}}) {
        SCOPED_TRACE(std::string(c.installer) + " / " + Utf8(c.publisher));
        SetPlatformModes({{"installer", c.installer}});
        ClearPlatformRequests();
        CVexoInstallHelper helper(InfoUrl(), {}, c.publisher);
        const bool runs = c.failure == EInstallFailure::kNone;
        EXPECT_EQ(helper.Install(HttpProgressFn()), runs ? 0 : -1);
        EXPECT_EQ(helper.Failure(), c.failure);
        EXPECT_EQ(PlatformRequests("installer").size(), 1u) << "downloaded whole";
        EXPECT_FALSE(FileExists(Installer())) << "deleted, so the next attempt starts afresh";
        EXPECT_FALSE(FileExists(Installer() + L".validator"));
        EXPECT_EQ(InstallerRuns().empty(), !runs);
        EXPECT_EQ(IsClientInstalled(m_clientKey->Path()), runs ? 1 : 0);
    }
}

TEST_F(InstallHelperTest, FailuresBeforeTheRun) {
    struct TCase {
        const char* service;
        const char* mode;
        EInstallFailure failure;
        bool partialFileStays;
    };
    for (const TCase& c : {TCase{"data", "status:500", EInstallFailure::kAddressQuery, false},
                           TCase{"data", "refuse", EInstallFailure::kAddressQuery, false},
                           TCase{"data", "noaddress", EInstallFailure::kNoAddress, false},
                           TCase{"data", "badjson", EInstallFailure::kNoAddress, false},
                           TCase{"installer", "status:404", EInstallFailure::kDownload, false},
                           TCase{"installer", "cutoff", EInstallFailure::kDownload, true}}) {
        SCOPED_TRACE(std::string(c.service) + "=" + c.mode);
        std::map<std::string, std::string> modes = {{"data", "ok"}, {"installer", "ok"}};
        modes[c.service] = c.mode;
        SetPlatformModes(modes);
        DeleteFileW(Installer().c_str());
        CVexoInstallHelper helper(InfoUrl());
        EXPECT_EQ(helper.Install(HttpProgressFn()), -1);
        EXPECT_EQ(helper.Failure(), c.failure);
        const std::string partial = ReadBytes(Installer());
        EXPECT_EQ(!partial.empty(), c.partialFileStays);
        EXPECT_EQ(InstallerRuns(), "");
    }
}

// Nothing partial, and nothing that came in plain text unchecked, is ever run: a server that
// sends its file in short parts whose rest never comes, with or without a digest; an installer
// address on plain http, without a digest (refused before any download) or with one (the digest
// decides).
TEST_F(InstallHelperTest, PartialOrPlainTextInstallersAreNeverRun) {
    struct TCase {
        const char* data;
        const char* installer;
        EInstallFailure failure;
        bool asked;  // the installer was requested
    };
    for (const TCase& c : {TCase{"ok", "truncated:1024", EInstallFailure::kDownload, true},
                           TCase{"nohash", "truncated:1024", EInstallFailure::kDownload, true},
                           TCase{"plainhttp", "ok", EInstallFailure::kInsecureAddress, false},
                           TCase{"plainhttp-hash", "ok", EInstallFailure::kNone, true}}) {
        SCOPED_TRACE(std::string(c.data) + " / " + c.installer);
        SetPlatformModes({{"data", c.data}, {"installer", c.installer}});
        ClearPlatformRequests();
        DeleteFileW(Installer().c_str());
        DeleteFileW((Installer() + L".validator").c_str());
        CVexoInstallHelper helper(InfoUrl());
        EXPECT_EQ(helper.Install(HttpProgressFn()), c.failure == EInstallFailure::kNone ? 0 : -1);
        EXPECT_EQ(helper.Failure(), c.failure);
        EXPECT_EQ(!PlatformRequests("installer").empty(), c.asked);
        if (c.failure == EInstallFailure::kNone) {
            EXPECT_EQ(helper.DownloadUrl().compare(0, 7, L"http://"), 0);
            EXPECT_NE(InstallerRuns(), "");
        } else {
            EXPECT_EQ(InstallerRuns(), "");
        }
    }
}

TEST_F(InstallHelperTest, AnUnreachableServiceFailsTheQuery) {
    CVexoInstallHelper helper(DataServiceQueryUrlFor(testfiles::EnvText(L"VEXO_REFUSED")));
    EXPECT_EQ(helper.Install(HttpProgressFn()), -1);
    EXPECT_EQ(helper.Failure(), EInstallFailure::kAddressQuery);
    EXPECT_FALSE(FileExists(Installer()));
}

}  // namespace
