#include "engine/sig_format.h"

#include <gtest/gtest.h>

#include <string>

#include "case_name.h"

namespace veltrane::sig {
namespace {

std::span<const std::byte> bytes(const std::string& text) {
    return std::as_bytes(std::span(text.data(), text.size()));
}

const std::string kMarker = "BEGIN\r\nFILE_NAME      tarfile";

struct HeaderCase {
    const char* what;
    std::string payload;
    bool found;
    std::string name;
};

void PrintTo(const HeaderCase& c, std::ostream* out) {
    *out << c.what;
}

class FindArchiveHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(FindArchiveHeader, YieldsTheNameBetweenTarfileAndTar) {
    const HeaderCase& c = GetParam();
    const auto header = findArchiveHeader(bytes(c.payload));
    ASSERT_EQ(header.has_value(), c.found);
    if (c.found) {
        EXPECT_EQ(header->name, c.name);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, FindArchiveHeader,
    testing::Values(
        HeaderCase{"at start", kMarker + ".30267.000036.065537.tar\r\n", true,
                   "tarfile.30267.000036.065537.tar"},
        HeaderCase{"off the start", "xx\r\n" + kMarker + ".1.tar\r\nFILE_SIZE 5", true,
                   "tarfile.1.tar"},
        HeaderCase{"behind a skip-like start", std::string("\0\0\0\0", 4) + kMarker + ".2.tar",
                   true, "tarfile.2.tar"},
        HeaderCase{"bare tarfile.tar", kMarker + ".tar", true, "tarfile.tar"},
        // A ".tar" in front of the marker used to be taken as the end and lose the archive.
        HeaderCase{"stray .tar in front", "old.tar " + kMarker + ".3.tar", true, "tarfile.3.tar"},
        HeaderCase{"first .tar behind closes", kMarker + ".4.tar.tar", true, "tarfile.4.tar"},
        HeaderCase{"no .tar at all", kMarker + ".5.tgz\r\n", true, ""},
        HeaderCase{"only .tar in front", "x.tar " + kMarker + ".6", true, ""},
        HeaderCase{"slash in name", kMarker + "/../x.tar", true, ""},
        HeaderCase{"backslash in name", kMarker + "\\x.tar", true, ""},
        HeaderCase{"colon in name", kMarker + ":x.tar", true, ""},
        HeaderCase{"line end in name", kMarker + ".7\r\nA.tar", true, ""},
        HeaderCase{"DEL in name", kMarker + ".8\x7f.tar", true, ""},
        HeaderCase{"marker cut one byte short", kMarker.substr(0, kMarker.size() - 1), false, ""},
        HeaderCase{"empty payload", "", false, ""}),
    testing_support::NameFromWhat{});

TEST(RecordMarkers, SkipAndEndCountOnlyAtTheVeryStart) {
    const std::string skip("\0\0\0\0BEG", 7);
    const std::string end = "\r\n\r\n" + kMarker;
    EXPECT_TRUE(startsWithSkipMarker(bytes(skip + "rest")));
    EXPECT_FALSE(startsWithSkipMarker(bytes(" " + skip)));
    EXPECT_FALSE(startsWithSkipMarker(bytes(skip.substr(0, 6))));
    EXPECT_TRUE(startsWithEndMarker(bytes(end + ".9.tar")));
    EXPECT_FALSE(startsWithEndMarker(bytes(" " + end)));
    EXPECT_FALSE(startsWithEndMarker(bytes("\r\n\r\nBEGIN and then something else")));
}

struct PayloadCase {
    std::uint32_t length;
    std::size_t present;
    std::size_t expectedSize;
};

class PayloadOf : public testing::TestWithParam<PayloadCase> {};

TEST_P(PayloadOf, SpansFromOffset32ToTheTrailer) {
    const PayloadCase& c = GetParam();
    std::string record(c.present, 'x');
    const auto payload = payloadOf(bytes(record), c.length);
    EXPECT_EQ(payload.size(), c.expectedSize);
    if (!payload.empty()) {
        EXPECT_EQ(payload.data(), reinterpret_cast<const std::byte*>(record.data()) + 32);
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, PayloadOf,
                         testing::Values(PayloadCase{0, 2, 0}, PayloadCase{1, 3, 0},
                                         PayloadCase{32, 34, 0}, PayloadCase{33, 35, 0},
                                         PayloadCase{34, 36, 1}, PayloadCase{100, 102, 67},
                                         PayloadCase{65535, 65537, 65502},
                                         // cut short by the end of the file
                                         PayloadCase{100, 50, 18}, PayloadCase{100, 20, 0}));

TEST(RecordLength, IsLittleEndian) {
    const std::string record("\x34\x12", 2);
    EXPECT_EQ(recordLength(bytes(record)), 0x1234U);
}

}  // namespace
}  // namespace veltrane::sig
