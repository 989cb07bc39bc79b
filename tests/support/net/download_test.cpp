// Downloads into files: folders made on demand, the Range header, resuming, servers that answer
// a range with the whole body, a part at the wrong offset or "range not satisfiable", progress
// reports, and what is left on disk after a failure.

#include "support/LibHttpHelper.h"
#include "tests/support/net/net_test_support.h"

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
        THttpLimits limits;
        limits.maxFileBytes = maxFileBytes;
        limits.maxMilliseconds = maxMilliseconds;
        return CLibHttpHelper::DownloadFile(true, url, m_target, {}, limits);
    }

    // What an interrupted earlier download leaves: the first bytes of the file and, beside it,
    // the validator the server named.
    void WritePartial(const std::string& bytes, const std::string& validator) {
        WriteBytes(m_target, bytes);
        WriteBytes(m_target + L".validator", validator);
    }
    // The same for a file of the server: fetched whole, then cut back to its first size bytes.
    void FetchPartial(const std::wstring& url, size_t size) {
        ASSERT_TRUE(Fetch(url));
        fs::resize_file(m_target, size);
        m_calls.clear();
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
    FetchPartial(m_nginx + L"/file300k.bin", 1000);
    const CLogTail access(m_accessLog);
    ASSERT_TRUE(Fetch(m_nginx + L"/file300k.bin"));
    EXPECT_EQ(ReadBytes(m_target), whole);
    EXPECT_EQ(access.Text(), "GET /file300k.bin range=[bytes=1000-] status=206\n");
    ExpectProgressTowards(1000 + (kFileSize - 1000), 1000);
}

TEST_F(Download, CompleteFileIsLeftAsItIs) {
    const std::string whole = DocrootFile(L"file300k.bin");
    FetchPartial(m_nginx + L"/file300k.bin", whole.size());
    const CLogTail access(m_accessLog);
    const CLogTail log;
    EXPECT_TRUE(Fetch(m_nginx + L"/file300k.bin"));
    EXPECT_EQ(access.Text(), "GET /file300k.bin range=[bytes=300000-] status=416\n");
    EXPECT_EQ(ReadBytes(m_target), whole);
    EXPECT_TRUE(m_calls.empty());
    EXPECT_NE(log.Text().find("http request successed:"), std::string::npos) << log.Text();
}

TEST_F(Download, FileLongerThanTheResourceStartsOver) {
    FetchPartial(m_nginx + L"/file300k.bin", kFileSize + 500);
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
    WritePartial(std::string(1000, 'x'), "\"v1\"");
    EXPECT_FALSE(Fetch(m_http + L"/wrong-range/5000"));
    EXPECT_EQ(ReadBytes(m_target), std::string(1000, 'x'));
}

// Replies that do not bring the whole file never count as a complete download; what the file
// holds afterwards is what a later attempt may continue.
TEST_F(Download, RepliesShortOfTheWholeFileFail) {
    struct Case {
        const wchar_t* path;
        bool complete;
        size_t kept;  // bytes on disk afterwards (of the blob pattern)
    };
    const Case cases[] = {
        {L"/parts/5500", true, 5500},       // short parts: the rest is asked for until whole
        {L"/stuck-part/5000", false, 1000},  // the rest never comes
        {L"/cut-part/5000", false, 2500},    // a part cut off before its end
        {L"/cutoff", false, 1000},           // a 200 cut off before its length
        {L"/chunked/5000", false, 0},        // no length: complete or cut, nothing tells
        {L"/chunked-cut/5000", false, 0},
        {L"/nolength", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        fs::remove(m_target);
        fs::remove(m_target + L".validator");
        EXPECT_EQ(Fetch(m_http + c.path) != 0, c.complete);
        EXPECT_EQ(ReadBytes(m_target), Blob(c.kept));
    }
    EXPECT_FALSE(Fetch(m_http + L"/stuck-part/5000")) << "nor on a second attempt";
}

// A part is only continued while the server vouches, through "If-Range", that the file is the
// one the part came from; a changed file is fetched whole (a 200) and replaces the part.
TEST_F(Download, ChangedFileOnResumeStartsOver) {
    struct Case {
        const wchar_t* query;  // the validators the server names
        const char* sent;      // the one the resume must name
    };
    const Case cases[] = {
        {L"", "If-Range: \"a\""},
        {L"&noetag=1", "If-Range: Mon, 08 Dec 2026 10:00:00 GMT"},
        {L"&weak=1", "If-Range: Mon, 08 Dec 2026 10:00:00 GMT"},  // a weak ETag cannot
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.query));
        const std::wstring old = m_http + L"/versioned/5000?tag=a" + c.query;
        FetchPartial(old, 1000);
        std::string unchanged;
        ASSERT_TRUE(Fetch(old));
        std::string last;
        CLibHttpHelper::HttpGetDefault(m_http + L"/last", last);
        EXPECT_NE(last.find(c.sent), std::string::npos) << last;
        CLibHttpHelper::HttpGetDefault(old, unchanged);
        EXPECT_EQ(ReadBytes(m_target), unchanged);

        fs::resize_file(m_target, 1000);
        const std::wstring changed = m_http + L"/versioned/5000?tag=b" + c.query;
        ASSERT_TRUE(Fetch(changed));
        std::string fresh;
        CLibHttpHelper::HttpGetDefault(changed, fresh);
        EXPECT_EQ(ReadBytes(m_target), fresh) << "no bytes of the old file";
        EXPECT_NE(fresh.substr(0, 1000), unchanged.substr(0, 1000));
    }
}

TEST_F(Download, APartWithoutValidatorIsAskedForAgain) {
    // A part whose validator is unknown (an older run's) is asked for from the start, and
    // stays as it was while no reply brings the file.
    FetchPartial(m_http + L"/versioned/5000?tag=a&noetag=1", 1000);
    std::string last;
    fs::remove(m_target + L".validator");
    fs::resize_file(m_target, 1000);
    const std::string part = ReadBytes(m_target);
    EXPECT_FALSE(Fetch(m_nginx + L"/missing.bin"));
    EXPECT_EQ(ReadBytes(m_target), part);
    ASSERT_TRUE(Fetch(m_http + L"/versioned/5000?tag=a&noetag=1"));
    CLibHttpHelper::HttpGetDefault(m_http + L"/last", last);
    EXPECT_NE(last.find("Range: bytes=0-"), std::string::npos) << last;
    EXPECT_EQ(last.find("If-Range"), std::string::npos) << last;
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

TEST_F(Download, FileLongerThanItsBoundFailsAndIsDeleted) {
    struct Case {
        const wchar_t* path;
        long long bound;
        size_t partial;  // bytes on disk before the download
        bool fits;
    };
    const std::string whole = DocrootFile(L"file300k.bin");
    // The announced size is judged before anything is written, a resumed file's included; what
    // breaks the bound is not kept for a later attempt.
    for (const Case& c : {Case{L"/file300k.bin", kFileSize, 0, true},
                          Case{L"/file300k.bin", kFileSize, 1000, true},
                          Case{L"/file300k.bin", kFileSize - 1, 0, false},
                          Case{L"/file300k.bin", kFileSize - 1, 1000, false}}) {
        SCOPED_TRACE(c.bound);
        SCOPED_TRACE(c.partial);
        fs::remove(m_target);
        if (c.partial != 0) FetchPartial(m_nginx + c.path, c.partial);
        const CLogTail access(m_accessLog);
        EXPECT_EQ(FetchWithin(m_nginx + c.path, c.bound) != 0, c.fits);
        EXPECT_EQ(fs::exists(m_target), c.fits);
        if (c.fits) {
            EXPECT_EQ(ReadBytes(m_target), whole);
        }
        EXPECT_NE(access.Text().find(c.partial != 0 ? "bytes=1000-" : "bytes=0-"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(m_target + L".validator"));
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


// Whatever a server does, a call with a time limit returns within it (and the time to give up).
TEST_F(Download, DeadlinesHoldAgainstTricklingServers) {
    constexpr unsigned long kDeadlineMs = 1500;
    constexpr ULONGLONG kSlackMs = 6000;  // a loaded machine; the trickles go on for 20 s and more
    for (const wchar_t* path : {L"/trickle-headers", L"/drip"}) {
        for (const bool download : {true, false}) {
            SCOPED_TRACE(Narrow(path) + (download ? " download" : " reply"));
            const ULONGLONG start = GetTickCount64();
            if (download) {
                EXPECT_FALSE(FetchWithin(m_http + path, 0, kDeadlineMs));
            } else {
                THttpLimits limits;
                limits.maxMilliseconds = kDeadlineMs;
                std::string reply = "stale";
                int status = 0;
                EXPECT_FALSE(CLibHttpHelper::HttpGet(m_http + path, L"text/plain", &status, {}, reply,
                                                     true, limits));
                EXPECT_EQ(status, 400);
                EXPECT_EQ(reply, "");
            }
            const ULONGLONG elapsed = GetTickCount64() - start;
            EXPECT_GE(elapsed, kDeadlineMs - 50);
            EXPECT_LT(elapsed, kDeadlineMs + kSlackMs);
        }
    }
}

TEST_F(Download, AStoppedDownloadEndsAndReportsOnTheCallersThread) {
    std::vector<DWORD> threads;
    THttpLimits limits;
    const ULONGLONG start = GetTickCount64();
    limits.stop = [start] { return GetTickCount64() - start > 800; };
    const CLogTail log;
    EXPECT_FALSE(CLibHttpHelper::DownloadFile(
        true, m_http + L"/drip", m_target,
        [&threads](long long, long long) { threads.push_back(GetCurrentThreadId()); }, limits));
    EXPECT_LT(GetTickCount64() - start, 800u + 6000u);
    EXPECT_NE(log.Text().find("http request stopped"), std::string::npos) << log.Text();
    ASSERT_FALSE(threads.empty());
    for (const DWORD thread : threads) EXPECT_EQ(thread, GetCurrentThreadId());
}

TEST_F(Download, HttpsOnlyRefusesPlainAddresses) {
    THttpLimits limits;
    limits.httpsOnly = true;
    const CLogTail access(m_accessLog);
    EXPECT_FALSE(CLibHttpHelper::DownloadFile(true, m_nginx + L"/file300k.bin", m_target, {}, limits));
    std::string reply;
    EXPECT_FALSE(CLibHttpHelper::HttpGet(m_nginx + L"/file300k.bin", L"text/plain", nullptr, {},
                                         reply, true, limits));
    EXPECT_EQ(access.Text(), "") << "nothing was asked";
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
