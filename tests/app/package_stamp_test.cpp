#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/PackageStamp.h"
#include "app/SignatureStamp.h"
#include "tests/common/FuzzLoop.h"
#include "tests/common/GuardedBuffer.h"
#include "tests/common/TestFiles.h"

namespace {

struct StampCase {
    const char* name;
    std::string bytes;
    const char* gameId;
    const char* comefrom;
};

class PackageStampText : public ::testing::TestWithParam<StampCase> {};

TEST_P(PackageStampText, SplitsIntoGameIdAndComefrom) {
    const StampCase& c = GetParam();
    const TPackageStamp stamp = ParsePackageStamp(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(stamp.gameId, c.gameId);
    EXPECT_EQ(stamp.comefrom, c.comefrom);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Cases, PackageStampText,
    ::testing::Values(
        StampCase{"Unstamped", "This program cann", "This pr", "gram cann"},
        StampCase{"Stamped", "1000450 qqgame   ", "1000450", "qqgame"},
        StampCase{"SeparatorIgnored", "1000450Xqqgame   ", "1000450", "qqgame"},
        StampCase{"GameIdNotTrimmed", " 123456 qqgame   ", " 123456", "qqgame"},
        StampCase{"TagPaddedBothSides", "1000450   qq    ", "1000450", "qq"},
        StampCase{"AllSpaceTag", "1000450          ", "1000450", ""},
        StampCase{"OnlyLeadingSpacesKept", "1000450 \tqq\t    ", "1000450", "\tqq\t"},
        StampCase{"NulInsideTag", "1000450 ab\0cdefg"s, "1000450", "ab"},
        StampCase{"NulAfterEightCharacters", "1000450 \0abcdefg"s, "1000450", ""},
        StampCase{"NulInsideGameId", "1234\0" "567 qqgame   "s, "1234", ""},
        StampCase{"ShortInput", "10004", "10004", ""},
        StampCase{"LongerInputIsCut", "1000450 qqgame   EXTRA", "1000450", "qqgame"}),
    [](const ::testing::TestParamInfo<StampCase>& info) { return std::string(info.param.name); });

std::string FileWithStampAt0x4E(const std::string& stamp) {
    return std::string(0x4E, 'M') + stamp + std::string(64, '.');
}

// Reads the stamp of a file holding the given bytes.
TPackageStamp StampOfFileWith(const std::string& bytes, const wchar_t* name = L"installer.exe") {
    const testfiles::CTempDir dir;
    testfiles::WriteBytes(dir / name, bytes);
    return ReadPackageStampFromFile((dir / name).c_str());
}

TEST(PackageStampFile, ReadsSeventeenBytesAt0x4E) {
    const TPackageStamp stamp = StampOfFileWith(FileWithStampAt0x4E("7654321 qqgame   "));
    EXPECT_EQ(stamp.gameId, "7654321");
    EXPECT_EQ(stamp.comefrom, "qqgame");
}

TEST(PackageStampFile, FileEndingInsideTheStampGivesTheBytesItHas) {
    const TPackageStamp stamp = StampOfFileWith(std::string(0x4E, 'M') + "7654321 qq");
    EXPECT_EQ(stamp.gameId, "7654321");
    EXPECT_EQ(stamp.comefrom, "qq");
}

TEST(PackageStampFile, FileEndingBeforeTheStampGivesEmptyValues) {
    const TPackageStamp stamp = StampOfFileWith(std::string(40, 'M'));
    EXPECT_EQ(stamp.gameId, "");
    EXPECT_EQ(stamp.comefrom, "");
}

TEST(PackageStampFile, MissingFileGivesEmptyValues) {
    const TPackageStamp stamp = ReadPackageStampFromFile(L"Z:\\no\\such\\installer.exe");
    EXPECT_EQ(stamp.gameId, "");
    EXPECT_EQ(stamp.comefrom, "");
}

TEST(PackageStampFile, PathOutsideTheAnsiCodePageIsRead) {
    const TPackageStamp stamp =
        StampOfFileWith(FileWithStampAt0x4E("1234567 web      "), L"\u6e38\u620f\u2603.exe");
    EXPECT_EQ(stamp.gameId, "1234567");
    EXPECT_EQ(stamp.comefrom, "web");
}

// ---- Signed executables: the stamp inside the signature ----------------------------------------

// A small PE32 image shaped as a signed build is: DOS stub, PE headers, a section's worth of code
// and, at the end, a certificate table whose one WIN_CERTIFICATE holds a PKCS#7 SignedData with
// one signer. Nothing is really signed: the reader locates, it does not verify.
class CSignedImage {
public:
    static constexpr size_t kPeAt = 0x80;
    static constexpr size_t kOptionalAt = kPeAt + 24;
    static constexpr size_t kSecurityEntryAt = kOptionalAt + 96 + 4 * 8;
    static constexpr size_t kTableAt = 0x400;

    // unauthenticated: the encoded attributes of the signer's [1] field (none: no such field).
    CSignedImage(const std::string& dosStubStamp, const std::vector<std::string>& unauthenticated) {
        m_bytes.assign(kTableAt, '\0');
        m_bytes.replace(0, 2, "MZ");
        Put32(0x3C, kPeAt);
        m_bytes.replace(kPackageStampOffset, dosStubStamp.size(), dosStubStamp);
        m_bytes.replace(kPeAt, 4, std::string("PE\0\0", 4));
        Put16(kPeAt + 4, 0x14C);                // i386
        Put16(kPeAt + 20, 0xE0);                // size of the optional header
        Put16(kOptionalAt, 0x10B);              // PE32
        Put32(kOptionalAt + 92, 16);            // data directories
        m_bytes.replace(0x200, 16, "code code code c");
        m_pkcs7 = SignedData(unauthenticated);
        std::string entry = Le32(8 + m_pkcs7.size() + Padding()) + Le16(0x0200) + Le16(2) + m_pkcs7;
        entry.append(Padding(), '\0');
        m_bytes += entry;
        Put32(kSecurityEntryAt, kTableAt);
        Put32(kSecurityEntryAt + 4, entry.size());
    }

    // The same image with a PE32+ optional header (64-bit programs), whose data directories
    // begin 16 bytes later.
    CSignedImage& AsPe32Plus() {
        const std::string table = m_bytes.substr(kSecurityEntryAt, 8);
        m_bytes.replace(kSecurityEntryAt, 8, std::string(8, '\0'));
        Put16(kPeAt + 20, 0xF0);
        Put16(kOptionalAt, 0x20B);
        Put32(kOptionalAt + 92, 0);
        Put32(kOptionalAt + 108, 16);
        m_bytes.replace(kSecurityEntryAt + 16, 8, table);
        return *this;
    }

    std::string& Bytes() { return m_bytes; }
    size_t Pkcs7At() const { return kTableAt + 8; }
    void Put32(size_t at, size_t value) { m_bytes.replace(at, 4, Le32(value)); }
    void Put16(size_t at, size_t value) { m_bytes.replace(at, 2, Le16(value)); }

    static std::string Der(unsigned char tag, const std::string& body) {
        std::string length;
        if (body.size() < 0x80) {
            length = std::string(1, static_cast<char>(body.size()));
        } else {
            for (size_t n = body.size(); n != 0; n >>= 8) length.insert(0, 1, static_cast<char>(n & 0xFF));
            length.insert(0, 1, static_cast<char>(0x80 | length.size()));
        }
        return std::string(1, static_cast<char>(tag)) + length + body;
    }
    // 2.25.12558274358900491936639886794395106262, the stamp's attribute type.
    static std::string StampOid() {
        return Der(0x06, "\x69\x92\xF2\xD1\xAE\xDB\xC4\xA2\xA8\xE5\xB7\x87\xFC\xDB\xF2\xD7\x88\xF7\x56");
    }
    static std::string Attribute(const std::string& oid, const std::string& value) {
        return Der(0x30, oid + Der(0x31, value));
    }
    static std::string StampAttribute(const std::string& stamp) { return Attribute(StampOid(), Der(0x04, stamp)); }
    // A counter-signature's place (1.3.6.1.4.1.311.3.3.1), as a time stamp would take it.
    static std::string TimeStampAttribute() {
        return Attribute(Der(0x06, "\x2B\x06\x01\x04\x01\x82\x37\x03\x03\x01"), Der(0x30, std::string(40, 'T')));
    }

private:
    static std::string Le32(size_t v) {
        return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
    }
    static std::string Le16(size_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
    size_t Padding() const { return (8 - m_pkcs7.size() % 8) % 8; }

    static std::string SignedData(const std::vector<std::string>& unauthenticated) {
        const std::string sha256 = Der(0x30, Der(0x06, "\x60\x86\x48\x01\x65\x03\x04\x02\x01") + Der(0x05, ""));
        const std::string content = Der(0x30, Der(0x06, "\x2B\x06\x01\x04\x01\x82\x37\x02\x01\x04") +
                                                  Der(0xA0, Der(0x30, Der(0x04, std::string(32, 'D')))));
        const std::string certificate = Der(0x30, Der(0x30, std::string(60, 'C')) + Der(0x03, std::string(33, 'S')));
        std::string signer = Der(0x02, "\x01") + Der(0x30, Der(0x30, "issuer") + Der(0x02, "\x10\x04")) + sha256 +
                             Der(0xA0, Attribute(Der(0x06, "\x2A\x86\x48\x86\xF7\x0D\x01\x09\x04"),
                                                 Der(0x04, std::string(32, 'M')))) +
                             Der(0x30, Der(0x06, "\x2A\x86\x48\x86\xF7\x0D\x01\x01\x01")) + Der(0x04, std::string(64, 'E'));
        if (!unauthenticated.empty()) {
            std::string attributes;
            for (const std::string& a : unauthenticated) attributes += a;
            signer += Der(0xA1, attributes);
        }
        const std::string signedData = Der(0x30, Der(0x02, "\x01") + Der(0x31, sha256) + content +
                                                     Der(0xA0, certificate) + Der(0x31, Der(0x30, signer)));
        return Der(0x30, Der(0x06, "\x2A\x86\x48\x86\xF7\x0D\x01\x07\x02") + Der(0xA0, signedData));
    }

    std::string m_bytes;
    std::string m_pkcs7;
};

const std::string kSignatureStamp = "7654321 sig      ";
const std::string kDosStubStamp = "1234567 stub     ";

// The stamp of the image, read from a copy whose last byte abuts a no-access page.
TPackageStamp StampOfImage(const std::string& bytes) {
    const testguard::CGuardedBuffer image(bytes.data(), bytes.size());
    return ReadPackageStampFromImage(image.Data(), image.Size());
}

std::string StampText(const TPackageStamp& stamp) { return stamp.gameId + "|" + stamp.comefrom; }

CSignedImage StampedInBoth() {
    return CSignedImage(kDosStubStamp, {CSignedImage::TimeStampAttribute(), CSignedImage::StampAttribute(kSignatureStamp)});
}

TEST(PackageStampSigned, TheSignatureComesFirstThenTheDosStub) {
    using I = CSignedImage;
    struct Case {
        const char* name;
        CSignedImage image;
        const char* expected;
    };
    const Case cases[] = {
        {"stamp in the signature, stub unstamped", I("This program cann", {I::StampAttribute(kSignatureStamp)}), "7654321|sig"},
        {"stamp in the DOS stub, none in the signature", I(kDosStubStamp, {}), "1234567|stub"},
        {"stamp in both: the signature wins", StampedInBoth(), "7654321|sig"},
        {"a PE32+ image", StampedInBoth().AsPe32Plus(), "7654321|sig"},
        {"other unsigned attributes only", I(kDosStubStamp, {I::TimeStampAttribute()}), "1234567|stub"},
        {"a short stamp in the signature", I(kDosStubStamp, {I::StampAttribute("7654321 ab")}), "7654321|ab"},
        {"a long stamp in the signature is cut", I(kDosStubStamp, {I::StampAttribute(kSignatureStamp + "XYZ")}), "7654321|sig"},
        {"an empty stamp in the signature", I(kDosStubStamp, {I::StampAttribute("")}), "|"},
        {"another attribute type", I(kDosStubStamp, {I::Attribute(I::StampOid().substr(0, 20) + "\x57", I::Der(0x04, kSignatureStamp))}),
         "1234567|stub"},
        {"stamp after a deeply nested attribute",
         I(kDosStubStamp, {[] {
               std::string nested = I::Der(0x05, "");
               for (int i = 0; i < 10000; ++i) nested = I::Der(0x30, nested);
               return I::Attribute(I::Der(0x06, "\x2A\x03"), nested);
           }(), I::StampAttribute(kSignatureStamp)}),
         "7654321|sig"},
    };
    for (const Case& c : cases) {
        CSignedImage image = c.image;
        EXPECT_EQ(StampText(StampOfImage(image.Bytes())), c.expected) << c.name;
    }
}

TEST(PackageStampSigned, AMalformedCertificateTableFallsBackToTheDosStub) {
    using I = CSignedImage;
    struct Case {
        const char* name;
        void (*spoil)(I&);
    };
    const Case cases[] = {
        {"table offset past the end", [](I& i) { i.Put32(I::kSecurityEntryAt, 0xFFFFFFF0); }},
        {"table size past the end", [](I& i) { i.Put32(I::kSecurityEntryAt + 4, i.Bytes().size()); }},
        {"offset and size wrap around",
         [](I& i) {
             i.Put32(I::kSecurityEntryAt, 0xFFFFFFF8);
             i.Put32(I::kSecurityEntryAt + 4, 0x10);
         }},
        {"table larger than any signature",
         [](I& i) {
             i.Bytes().append(kMaxCertificateTableSize, '\0');
             i.Put32(I::kSecurityEntryAt + 4, kMaxCertificateTableSize + 8);
         }},
        {"entry length past the table", [](I& i) { i.Put32(I::kTableAt, i.Bytes().size() - I::kTableAt + 8); }},
        {"entry length below its header", [](I& i) { i.Put32(I::kTableAt, 4); }},
        {"entry not PKCS#7 signed data", [](I& i) { i.Put16(I::kTableAt + 6, 1); }},
        {"DER length past its container", [](I& i) { i.Bytes()[i.Pkcs7At() + 2] += 1; }},
        {"indefinite DER length", [](I& i) { i.Bytes()[i.Pkcs7At() + 1] = '\x80'; }},
        {"DER cut off inside the signer",
         [](I& i) {
             i.Bytes().resize(i.Bytes().size() - 40);
             i.Put32(I::kTableAt, i.Bytes().size() - I::kTableAt);
             i.Put32(I::kSecurityEntryAt + 4, i.Bytes().size() - I::kTableAt);
         }},
        {"not signed data", [](I& i) { i.Bytes()[i.Pkcs7At() + 14] = '\x03'; }},
        {"no directory for the table", [](I& i) { i.Put32(I::kOptionalAt + 92, 4); }},
        {"optional header too short for the table", [](I& i) { i.Put16(I::kPeAt + 20, 96 + 4 * 8); }},
        {"not a PE32 optional header", [](I& i) { i.Put16(I::kOptionalAt, 0x107); }},
        {"no PE signature", [](I& i) { i.Bytes()[I::kPeAt] = 'X'; }},
        {"PE header past the end", [](I& i) { i.Put32(0x3C, 0x7FFFFFFF); }},
    };
    for (const Case& c : cases) {
        CSignedImage image = StampedInBoth();
        c.spoil(image);
        EXPECT_EQ(StampText(StampOfImage(image.Bytes())), "1234567|stub") << c.name;
    }
}

TEST(PackageStampSigned, TheFileIsReadThroughTheSameParse) {
    EXPECT_EQ(StampText(StampOfFileWith(StampedInBoth().Bytes())), "7654321|sig");
}

// Every truncation of a signed, stamped file, and random damage to it, each input ending at a
// no-access page: nothing is read past the end, and a file cut anywhere inside its certificate
// table gives the DOS stub's stamp.
TEST(PackageStampSigned, TruncatedAndCorruptedFilesAreReadSafely) {
    const std::string whole = StampedInBoth().Bytes();
    for (size_t size = 0; size <= whole.size(); ++size) {
        const TPackageStamp stamp = StampOfImage(whole.substr(0, size));
        if (size == whole.size()) {
            EXPECT_EQ(StampText(stamp), "7654321|sig");
        } else if (size >= CSignedImage::kTableAt) {
            EXPECT_EQ(StampText(stamp), "1234567|stub") << size;
        }
    }
    using vexo_fuzz::Bytes;
    const std::vector<Bytes> seeds = {vexo_fuzz::ToBytes(whole),
                                      vexo_fuzz::ToBytes(CSignedImage(kDosStubStamp, {}).Bytes())};
    unsigned long long foundInSignature = 0;
    auto read = [&foundInSignature](const Bytes& input) {
        const testguard::CGuardedBuffer image(input);
        ReadPackageStampFromImage(image.Data(), image.Size());
        if (FindSignatureStamp(image.Data(), image.Size()).data != nullptr) ++foundInSignature;
    };
    vexo_fuzz::RunFuzzLoop("signed stamp", seeds, vexo_fuzz::OptionsFromEnvironment(100000, 10.0),
                           [&read](const Bytes& input) {
                               read(input);
                               // Once more with the table's size fitted to what follows it, so
                               // that damage inside the table reaches the DER rather than
                               // failing the table's bounds.
                               Bytes fitted = input;
                               if (fitted.size() > CSignedImage::kTableAt) {
                                   const size_t size = fitted.size() - CSignedImage::kTableAt;
                                   for (size_t i = 0; i < 4; ++i)
                                       fitted[CSignedImage::kSecurityEntryAt + 4 + i] = static_cast<uint8_t>(size >> (8 * i));
                                   read(fitted);
                               }
                           },
                           {vexo_fuzz::ToBytes("\x30\x82"), vexo_fuzz::ToBytes("\x30\x84\xFF\xFF\xFF\xFF"),
                            vexo_fuzz::ToBytes("\xA1\x80"), vexo_fuzz::ToBytes("\xFF\xFF\xFF\xFF")});
    EXPECT_GT(foundInSignature, 1000u) << "the damage reached the signature's stamp too seldom to tell";
}

}  // namespace

// The platform's ids run from 1000000: a leading zero would not read as a JSON number.
TEST(PackageStampGameId, OnlySevenAsciiDigitsWithoutALeadingZeroAreAGame) {
    struct Case {
        const char* stamped;
        const char* game;
    };
    for (const Case& c : {Case{"1000450", "1000450"}, Case{"1000000", "1000000"},
                          Case{"9999999", "9999999"}, Case{"0000001", "1000450"},
                          Case{"0001234", "1000450"}, Case{"0999999", "1000450"},
                          Case{"This pr", "1000450"}, Case{"", "1000450"},
                          Case{"100045", "1000450"}, Case{"10004500", "1000450"},
                          Case{"1 --x=1", "1000450"}, Case{"100045\"", "1000450"},
                          Case{"１000450", "1000450"}, Case{"-100045", "1000450"}}) {
        EXPECT_EQ(EffectiveGameId(c.stamped), c.game) << c.stamped;
    }
}
