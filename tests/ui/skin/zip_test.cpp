// The ZIP reader over archives made by real tools, and over damaged and hostile archives.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/skin/SkinTestSupport.h"
#include "ui/core/skin/ZipReader.h"

using namespace SkinUI;
using ui_test::Fixture;
using ui_test::ReadAll;

namespace {

std::vector<BYTE> Extracted(const CZipReader& zip, const wchar_t* name) {
    int index = -1;
    DWORD size = 0;
    std::vector<BYTE> bytes;
    if (!zip.FindEntry(name, &index, &size)) return bytes;
    EXPECT_EQ(zip.EntrySize(index), size);
    EXPECT_TRUE(zip.ExtractAll(index, bytes)) << name;
    return bytes;
}

const wchar_t* const kToolArchives[] = {L"py_deflated.zip", L"py_stored.zip", L"py_streamed.zip",
                                        L"infozip.zip", L"infozip_streamed.zip"};

}  // namespace

TEST(ZipReader, ArchivesOfRealToolsFromFileAndMemory) {
    const std::vector<BYTE> skin = ReadAll(Fixture(L"skin.xml"));
    const std::vector<BYTE> opaque = ReadAll(Fixture(L"opaque.png"));
    const std::vector<BYTE> alpha = ReadAll(Fixture(L"alpha.png"));
    const std::vector<BYTE> mask = ReadAll(Fixture(L"mask.png"));
    ASSERT_FALSE(skin.empty());
    for (const wchar_t* name : kToolArchives) {
        SCOPED_TRACE(testing::Message() << "archive " << std::wstring(name).c_str());
        std::vector<BYTE> bytes = ReadAll(Fixture(name));
        CZipReader fromFile, fromMemory;
        ASSERT_TRUE(fromFile.OpenFile(Fixture(name).c_str()));
        ASSERT_TRUE(fromMemory.OpenMemory(bytes.data(), bytes.size()));
        for (const CZipReader* zip : {&fromFile, &fromMemory}) {
            EXPECT_EQ(Extracted(*zip, L"skin.xml"), skin);
            EXPECT_EQ(Extracted(*zip, L"bg.png"), opaque) << "stored as BG.png";
            EXPECT_EQ(Extracted(*zip, L"SKIN.XML"), skin);
            EXPECT_EQ(Extracted(*zip, L"img\\a.png"), alpha) << "\\ matches /";
            EXPECT_EQ(Extracted(*zip, L"IMG/MASK.png"), mask);
            int index = -1;
            DWORD size = 1;
            ASSERT_TRUE(zip->FindEntry(L"empty.xml", &index, &size));
            EXPECT_EQ(size, 0u);
            EXPECT_TRUE(zip->Extract(index, nullptr, 0));
            EXPECT_FALSE(zip->FindEntry(L"missing.png", &index, &size));
            EXPECT_FALSE(zip->FindEntry(L"", &index, &size));
            EXPECT_FALSE(zip->FindEntry(L"skin", &index, &size));
            // A buffer of another size than the entry's is refused.
            ASSERT_TRUE(zip->FindEntry(L"skin.xml", &index, &size));
            std::vector<BYTE> wrong(size + 1);
            EXPECT_FALSE(zip->Extract(index, wrong.data(), size + 1));
            EXPECT_FALSE(zip->Extract(zip->EntryCount(), wrong.data(), size));
            EXPECT_FALSE(zip->Extract(-1, wrong.data(), size));
        }
    }
}

TEST(ZipReader, NamesFlaggedUtf8AreFound) {
    CZipReader zip;
    ASSERT_TRUE(zip.OpenFile(Fixture(L"py_deflated.zip").c_str()));
    EXPECT_EQ(Extracted(zip, L"\xFC" L"ber.xml"), std::vector<BYTE>({'<', 'u', '/', '>'}));
    EXPECT_EQ(Extracted(zip, L"\xDC" L"BER.xml"), std::vector<BYTE>())
        << "only ASCII letters are folded";
}

TEST(ZipReader, NamesOf256CharactersOrMoreAreNeverFound) {
    CZipReader zip;
    ASSERT_TRUE(zip.OpenFile(Fixture(L"long_name.zip").c_str()));
    EXPECT_EQ(Extracted(zip, std::wstring(255, L'x').c_str()), std::vector<BYTE>({'<', 'b', '/', '>'}));
    EXPECT_TRUE(Extracted(zip, std::wstring(256, L'y').c_str()).empty());
    std::wstring longName = L"d/" + std::wstring(300, L'n') + L".xml";
    EXPECT_TRUE(Extracted(zip, longName.c_str()).empty());
}

TEST(ZipReader, DamagedArchivesFailToOpen) {
    for (const wchar_t* name : {L"truncated.zip", L"no_directory.zip", L"dir_outside.zip",
                                L"count_lies.zip", L"not_a_zip.zip", L"empty.zip", L"missing.zip",
                                L"skin.xml"}) {
        CZipReader zip;
        EXPECT_FALSE(zip.OpenFile(Fixture(name).c_str())) << std::wstring(name).c_str();
        EXPECT_FALSE(zip.IsOpen());
        std::vector<BYTE> bytes = ReadAll(Fixture(name));
        EXPECT_FALSE(zip.OpenMemory(bytes.data(), bytes.size())) << std::wstring(name).c_str();
    }
    CZipReader zip;
    EXPECT_FALSE(zip.OpenFile(nullptr));
    EXPECT_FALSE(zip.OpenMemory(nullptr, 10));
    int index = 0;
    EXPECT_FALSE(zip.FindEntry(L"skin.xml", &index, nullptr)) << "a closed reader finds nothing";
}

TEST(ZipReader, EntriesWithLyingHeadersFailToExtract) {
    struct {
        const wchar_t* archive;
        bool extracts;
    } const cases[] = {
        {L"size_lies.zip", false},        // 2 GB claimed: refused before allocating
        {L"compressed_lies.zip", false},  // data would reach outside the archive
        {L"local_outside.zip", false},    // local header beyond the end
        {L"method_unknown.zip", false},
        {L"bad_deflate.zip", false},
        {L"large_size_lies.zip", false},  // the data ends before the buffer is full
        {L"small_size_lies.zip", true},   // the first 10 bytes fill the buffer: accepted
    };
    const std::vector<BYTE> skin = ReadAll(Fixture(L"skin.xml"));
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.archive).c_str());
        CZipReader zip;
        ASSERT_TRUE(zip.OpenFile(Fixture(c.archive).c_str()));
        int index = -1;
        DWORD size = 0;
        ASSERT_TRUE(zip.FindEntry(L"skin.xml", &index, &size));
        std::vector<BYTE> bytes;
        EXPECT_EQ(zip.ExtractAll(index, bytes), c.extracts);
        if (c.extracts) EXPECT_EQ(bytes, std::vector<BYTE>(skin.begin(), skin.begin() + 10));
        else EXPECT_TRUE(bytes.empty());
        // The other entries of the archive are unaffected.
        EXPECT_FALSE(Extracted(zip, L"bg.png").empty());
    }
}

TEST(ZipReader, SizesThatLieTogetherAreRefusedBeforeAllocating) {
    // 256 MiB claimed from 300000 compressed bytes in an archive of a few hundred: the data is
    // located and bounded by the archive before anything is reserved for it.
    const testguard::CGuardedBuffer archive(ReadAll(Fixture(L"both_sizes_lie.zip")));
    CZipReader zip;
    ASSERT_TRUE(zip.OpenMemory(archive.Data(), archive.Size()));
    int index = -1;
    DWORD size = 0;
    ASSERT_TRUE(zip.FindEntry(L"skin.xml", &index, &size));
    EXPECT_EQ(size, 0x10000000u);
    const ui_test::TMemoryPeaks before = ui_test::MemoryPeaks();
    std::vector<BYTE> bytes;
    EXPECT_FALSE(zip.ExtractAll(index, bytes));
    EXPECT_FALSE(ui_test::MemoryPeaks().GrewBeyond(before, 64u << 20)) << "nothing near 256 MiB taken";
    EXPECT_FALSE(Extracted(zip, L"bg.png").empty());
}

TEST(ZipReader, EntriesAboveTheCallersLimitAreRefused) {
    CZipReader zip;
    ASSERT_TRUE(zip.OpenFile(Fixture(L"huge_entry.zip").c_str()));
    int index = -1;
    DWORD size = 0;
    ASSERT_TRUE(zip.FindEntry(L"zeros.png", &index, &size));
    std::vector<BYTE> bytes;
    EXPECT_FALSE(zip.ExtractAll(index, bytes, size - 1));
    EXPECT_TRUE(bytes.empty());
    ASSERT_TRUE(zip.FindEntry(L"small.png", &index, &size));
    EXPECT_TRUE(zip.ExtractAll(index, bytes, size)) << "a limit of exactly the size is kept";
}

TEST(ZipReader, GuardedArchivesAreReadInsideTheirBytes) {
    // Every archive of the tests, placed against a no-access page: opening, finding and
    // extracting never read past the archive's last byte.
    for (const wchar_t* name :
         {L"py_deflated.zip", L"py_stored.zip", L"py_streamed.zip", L"infozip.zip",
          L"infozip_streamed.zip", L"long_name.zip", L"truncated.zip", L"no_directory.zip",
          L"dir_outside.zip", L"count_lies.zip", L"size_lies.zip", L"small_size_lies.zip",
          L"large_size_lies.zip", L"local_outside.zip", L"compressed_lies.zip",
          L"method_unknown.zip", L"bad_deflate.zip", L"not_a_zip.zip", L"empty.zip"}) {
        SCOPED_TRACE(testing::Message() << std::wstring(name).c_str());
        const testguard::CGuardedBuffer archive(ReadAll(Fixture(name)));
        CZipReader zip;
        if (!zip.OpenMemory(archive.Data(), archive.Size())) continue;
        for (int i = 0; i < zip.EntryCount(); ++i) {
            std::vector<BYTE> bytes;
            if (zip.ExtractAll(i, bytes)) {
                EXPECT_EQ(bytes.size(), zip.EntrySize(i));
            }
        }
    }
}
