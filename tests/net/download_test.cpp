// Downloads into files: folders made on demand, the Range header, resuming, servers that answer
// a range with the whole body, a part at the wrong offset or "range not satisfiable", progress
// reports, and what is left on disk after a failure.

#include "net_test_support.h"
#include "support/LibHttpHelper.h"

namespace fs = std::filesystem;

namespace {

constexpr long long kFileSize = 300000;  // file300k.bin

struct TProgressCall {
    long long done;
    long long total;
};

class Download : public ServerTest {
protected:
    int Fetch(const std::wstring& url, bool resume = true) {
        return CLibHttpHelper::DownloadFile(resume, url, m_target, [this](long long done, long long total) {
            m_calls.push_back({done, total});
        });
    }

    int FetchWithin(const std::wstring& url, long long maxFileBytes, unsigned long maxMilliseconds = 0) {
        THttpDownloadLimits limits;
        limits.maxFileBytes = maxFileBytes;
        limits.maxMilliseconds = maxMilliseconds;
        return CLibHttpHelper::DownloadFile(true, url, m_target, {}, limits);
    }

    // Every report is short of its total, which stays the same, and the counts only grow.
    void ExpectProgressTowards(long long total, long long firstAbove) {
        ASSERT_FALSE(m_calls.empty());
        EXPECT_GT(m_calls.front().done, firstAbove);
        long long previous = 0;
        for (const TProgressCall& call : m_calls) {
            EXPECT_EQ(call.total, total);
            EXPECT_LT(call.done, call.total);
            EXPECT_GE(call.done, previous);
            previous = call.done;
        }
    }

    CTempDir m_folder;
    std::wstring m_target = m_folder / L"VexoInstall.exe";
    std::vector<TProgressCall> m_calls;
};

TEST_F(Download, FreshFileInMissingFoldersAsksForTheWholeRange) {
    m_target = m_folder / L"a\\b\\c\\file.bin";
    const CLogTail access(m_accessLog);
    ASSERT_TRUE(Fetch(m_nginx + L"/file300k.bin"));
    EXPECT_EQ(ReadBytes(m_target), DocrootFile(L"file300k.bin"));
    EXPECT_EQ(access.Text(), "GET /file300k.bin range=[bytes=0-] status=206\n");
    ExpectProgressTowards(kFileSize, 0);
}

TEST_F(Download, ResumesAPartialFile) {
    const std::string whole = DocrootFile(L"file300k.bin");
    WriteBytes(m_target, whole.substr(0, 1000));
    const CLogTail access(m_accessLog);
    ASSERT_TRUE(Fetch(m_nginx + L"/file300k.bin"));
    EXPECT_EQ(ReadBytes(m_target), whole);
    EXPECT_EQ(access.Text(), "GET /file300k.bin range=[bytes=1000-] status=206\n");
    ExpectProgressTowards(1000 + (kFileSize - 1000), 1000);
}

TEST_F(Download, CompleteFileIsLeftAsItIs) {
    const std::string whole = DocrootFile(L"file300k.bin");
    WriteBytes(m_target, whole);
    const CLogTail access(m_accessLog);
    const CLogTail log;
    EXPECT_TRUE(Fetch(m_nginx + L"/file300k.bin"));
    EXPECT_EQ(access.Text(), "GET /file300k.bin range=[bytes=300000-] status=416\n");
    EXPECT_EQ(ReadBytes(m_target), whole);
    EXPECT_TRUE(m_calls.empty());
    EXPECT_NE(log.Text().find("http request successed:"), std::string::npos) << log.Text();
}

TEST_F(Download, FileLongerThanTheResourceStartsOver) {
    WriteBytes(m_target, std::string(kFileSize + 500, 'x'));
    EXPECT_FALSE(Fetch(m_nginx + L"/file300k.bin"));
    EXPECT_EQ(fs::file_size(m_target), 0u);
    EXPECT_TRUE(Fetch(m_nginx + L"/file300k.bin"));
    EXPECT_EQ(ReadBytes(m_target), DocrootFile(L"file300k.bin"));
}

TEST_F(Download, WholeBodyForARangeReplacesThePartialFile) {
    WriteBytes(m_target, std::string(1000, 'x'));
    ASSERT_TRUE(Fetch(m_http + L"/blob/200000"));
    EXPECT_EQ(ReadBytes(m_target), Blob(200000));
    ExpectProgressTowards(200000, 0);
}

TEST_F(Download, PartAtAnotherOffsetIsRefused) {
    WriteBytes(m_target, std::string(1000, 'x'));
    EXPECT_FALSE(Fetch(m_http + L"/wrong-range/5000"));
    EXPECT_EQ(ReadBytes(m_target), std::string(1000, 'x'));
}

TEST_F(Download, FailureKeepsThePartialFileOnlyWhenResuming) {
    EXPECT_FALSE(Fetch(m_http + L"/cutoff", true));
    EXPECT_EQ(ReadBytes(m_target), Blob(1000));
    EXPECT_FALSE(Fetch(m_nginx + L"/missing.bin", true));
    EXPECT_EQ(ReadBytes(m_target), Blob(1000));

    fs::remove(m_target);
    EXPECT_FALSE(Fetch(m_http + L"/cutoff", false));
    EXPECT_FALSE(fs::exists(m_target));
    EXPECT_FALSE(Fetch(m_nginx + L"/missing.bin", false));
    EXPECT_FALSE(fs::exists(m_target));
}

TEST_F(Download, WithoutResumeTheFileIsReplaced) {
    WriteBytes(m_target, std::string(kFileSize + 500, 'x'));
    const CLogTail access(m_accessLog);
    ASSERT_TRUE(Fetch(m_nginx + L"/file300k.bin", false));
    EXPECT_EQ(ReadBytes(m_target), DocrootFile(L"file300k.bin"));
    EXPECT_EQ(access.Text(), "GET /file300k.bin range=[bytes=0-] status=206\n");
}

TEST_F(Download, WritesThatDoNotReachTheDiskFailTheDownload) {
    // A file on a device that is always full (the driver links it to /dev/full).
    const std::wstring fullDiskFile = WinePath(EnvText(L"VEXO_NET_FULL_DISK_FILE"));
    ASSERT_FALSE(fullDiskFile.empty());
    const CLogTail log;
    EXPECT_FALSE(CLibHttpHelper::DownloadFile(true, m_nginx + L"/file300k.bin", fullDiskFile, {}));
    EXPECT_NE(log.Text().find("download file write failed"), std::string::npos) << log.Text();
}

TEST_F(Download, FileLongerThanItsBoundFailsAndIsEmptied) {
    struct Case {
        const wchar_t* path;
        long long bound;
        size_t partial;  // bytes on disk before the download
        bool fits;
    };
    const std::string whole = DocrootFile(L"file300k.bin");
    // The announced length is judged before anything is written; a body without a length is
    // judged as it arrives; a resumed file counts with what it already has.
    for (const Case& c : {Case{L"/file300k.bin", kFileSize, 0, true},
                          Case{L"/file300k.bin", kFileSize, 1000, true},
                          Case{L"/file300k.bin", kFileSize - 1, 0, false},
                          Case{L"/file300k.bin", kFileSize - 1, 1000, false}}) {
        SCOPED_TRACE(c.bound);
        SCOPED_TRACE(c.partial);
        WriteBytes(m_target, whole.substr(0, c.partial));
        EXPECT_EQ(FetchWithin(m_nginx + c.path, c.bound) != 0, c.fits);
        EXPECT_EQ(ReadBytes(m_target), c.fits ? whole : std::string());
    }
    WriteBytes(m_target, "");
    EXPECT_FALSE(FetchWithin(m_http + L"/nolength", 1000));
    EXPECT_EQ(ReadBytes(m_target), "");
}

TEST_F(Download, TransferPastItsTimeFailsAndKeepsItsPart) {
    // The drip route announces 100000 bytes and sends one every 100 ms for 20 s: a read that
    // waited for a whole chunk would not return before the server gives up.
    EXPECT_FALSE(FetchWithin(m_http + L"/drip", 0, 1000));
    const std::string part = ReadBytes(m_target);
    EXPECT_GT(part.size(), 0u);
    EXPECT_LT(part.size(), 100u);
    EXPECT_EQ(part, std::string(part.size(), 'x'));

    // Reads as data arrives bring the same file as whole chunks.
    fs::remove(m_target);
    ASSERT_TRUE(FetchWithin(m_nginx + L"/file300k.bin", 0, 60000));
    EXPECT_EQ(ReadBytes(m_target), DocrootFile(L"file300k.bin"));
}

TEST_F(Download, NoLengthMeansNoProgress) {
    ASSERT_TRUE(Fetch(m_http + L"/nolength"));
    EXPECT_EQ(fs::file_size(m_target), 1500u);
    EXPECT_TRUE(m_calls.empty());
}

TEST_F(Download, FollowsARedirectToTheFile) {
    const CLogTail access(m_accessLog);
    ASSERT_TRUE(Fetch(m_http + L"/goto?to=" + m_nginx + L"/file300k.bin"));
    EXPECT_EQ(ReadBytes(m_target), DocrootFile(L"file300k.bin"));
    EXPECT_EQ(access.Text(), "GET /file300k.bin range=[bytes=0-] status=206\n");
}

TEST_F(Download, TargetThatCannotBeOpenedSendsNothing) {
    const std::wstring folderTarget = m_folder / L"taken";
    fs::create_directories(folderTarget);
    const CLogTail access(m_accessLog);
    const CLogTail log;
    EXPECT_FALSE(CLibHttpHelper::DownloadFile(true, m_nginx + L"/file300k.bin", folderTarget, {}));
    EXPECT_EQ(access.Text(), "");
    const std::string text = log.Text();
    EXPECT_NE(text.find("(541)("), std::string::npos) << text;
    EXPECT_NE(text.find(Narrow(folderTarget) + " result:-2147"), std::string::npos) << text;
    EXPECT_EQ(text.find("start HTTP request"), std::string::npos) << text;
}

}  // namespace
