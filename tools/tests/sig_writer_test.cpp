#include "testdata/sig_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fixture_reader.h"
#include "testdata/byte_sink.h"

using namespace veltrane::testdata;

namespace {

const std::string kSkip(kSigSkipMarker);
const std::string kEnd(kSigEndMarker);

std::string lengthField(std::uint16_t length) {
    return {static_cast<char>(length & 0xFF), static_cast<char>(length >> 8)};
}

// Markers packed densely so that many chunk boundaries land on one.
std::string markerDenseBytes() {
    std::string bytes = "y";
    for (int i = 0; i < 300; ++i) {
        bytes += kEnd + kSkip + "zz";
    }
    return bytes;
}

void checkCarriedIntact(const std::string& sig, const std::string& archiveBytes) {
    const fixture::Walk walk = fixture::walkSig(sig);
    ASSERT_EQ(walk.archives.size(), std::size_t{1});
    EXPECT_TRUE(!walk.unterminated);
    EXPECT_EQ(walk.archives[0].bytes, archiveBytes);
    for (const auto& record : fixture::parseRecords(sig)) {
        EXPECT_TRUE(record.payload.size() <= kSigMaxPayload);
    }
}

}  // namespace

TEST(SigWriter, record_layout_places_length_header_payload_and_trailer) {
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{300}, kSigMaxPayload}) {
        std::string sig;
        StringSink sink(sig);
        SigWriter writer(sink);
        const std::string payload(size, 'p');
        writer.record(payload);
        const auto length = static_cast<std::uint16_t>(size + 33);
        ASSERT_EQ(sig.size(), size + 35);
        EXPECT_EQ(sig.substr(0, 2), lengthField(length));
        EXPECT_EQ(sig.substr(32, size), payload);
        EXPECT_EQ(sig.substr(length - 1u, 3), std::string("\r\r\n"));
        EXPECT_EQ(sig.substr(2, 30).find('\0'), std::string::npos);
        EXPECT_EQ(writer.bytesWritten(), std::uint64_t{sig.size()});
    }
}

TEST(SigWriter, record_refuses_payload_longer_than_length_field_allows) {
    std::string sig;
    StringSink sink(sig);
    SigWriter writer(sink);
    EXPECT_THROW(writer.record(std::string(kSigMaxPayload + 1, 'p')), std::length_error);
    EXPECT_TRUE(sig.empty());
}

TEST(SigWriter, raw_record_writes_declared_length_then_bytes_verbatim) {
    struct Case {
        std::uint16_t length;
        std::string bytes;
    };
    const std::vector<Case> cases{{0, ""},
                                  {5, "abcde"},
                                  {32, std::string(32, 'h')},
                                  {33, "short"},
                                  {65535, std::string("\0\1\2", 3)}};
    for (const auto& c : cases) {
        std::string sig;
        StringSink sink(sig);
        SigWriter writer(sink);
        writer.rawRecord(c.length, c.bytes);
        EXPECT_EQ(sig, lengthField(c.length) + c.bytes);
    }
}

TEST(SigWriter, header_record_names_archive_as_readers_extract_it) {
    std::string sig;
    StringSink sink(sig);
    SigWriter writer(sink);
    writer.headerRecord("tarfile.30267.000036.065537.tar", 123456);
    writer.headerRecord("tarfile.1.tar");
    const auto records = fixture::parseRecords(sig);
    ASSERT_EQ(records.size(), std::size_t{2});
    EXPECT_EQ(records[0].payload,
              std::string("BEGIN\r\nFILE_NAME      tarfile.30267.000036.065537.tar\r\nFILE_SIZE "
                          "123456\r\n"));
    EXPECT_EQ(records[1].payload, std::string("BEGIN\r\nFILE_NAME      tarfile.1.tar\r\n"));
}

TEST(SigWriter, archive_names_must_survive_the_reader_rule) {
    struct Case {
        std::string name;
        bool valid;
    };
    const std::vector<Case> cases{{"tarfile.tar", true},
                                  {"tarfile.30267.000036.065537.tar", true},
                                  {"foo.tar", false},
                                  {"tarfile", false},
                                  {"tarfile.30267", false},
                                  {"tarfile.a.tar.gz", false},
                                  {"tarfile.a.tar.b.tar", false},
                                  {"tarfile.a\r\nb.tar", false},
                                  {std::string("tarfile.\0.tar", 13), false}};
    for (const auto& c : cases) {
        EXPECT_EQ(isValidArchiveName(c.name), c.valid);
        std::string sig;
        StringSink sink(sig);
        SigWriter writer(sink);
        if (!c.valid) {
            EXPECT_THROW(writer.headerRecord(c.name), std::invalid_argument);
            EXPECT_THROW(writer.endRecord(c.name), std::invalid_argument);
            EXPECT_TRUE(sig.empty());
        }
    }
}

TEST(SigWriter, end_and_skip_records_start_with_their_markers) {
    std::string sig;
    StringSink sink(sig);
    SigWriter writer(sink);
    writer.endRecord("tarfile.7.tar");
    writer.skipRecord();
    const auto records = fixture::parseRecords(sig);
    ASSERT_EQ(records.size(), std::size_t{2});
    EXPECT_EQ(records[0].payload, std::string("\r\n\r\nBEGIN\r\nFILE_NAME      tarfile.7.tar\r\n"));
    EXPECT_TRUE(records[1].payload.starts_with(kSigSkipMarker));
    // Outside an archive a skip record must not be taken for a header.
    EXPECT_EQ(records[1].payload.find(kSigHeaderMarker), std::string::npos);
}

TEST(SigWriter, data_record_refuses_payloads_readers_would_misread) {
    struct Case {
        std::string payload;
        bool accepted;
    };
    const std::vector<Case> cases{
        {kSkip, false},
        {kSkip + "tail", false},
        {kEnd + ".tar\r\n", false},
        {kSkip.substr(0, 6), true},             // too short to be the marker
        {"x" + kEnd, true},                     // not at the start
        {std::string(kSigHeaderMarker), true},  // header text without the leading blank line
        {"", true}};
    for (const auto& c : cases) {
        std::string sig;
        StringSink sink(sig);
        SigWriter writer(sink);
        if (c.accepted) {
            writer.dataRecord(c.payload);
            EXPECT_EQ(fixture::parseRecords(sig).at(0).payload, c.payload);
        } else {
            EXPECT_THROW(writer.dataRecord(c.payload), std::invalid_argument);
            EXPECT_TRUE(sig.empty());
        }
    }
}

TEST(SigWriter, noise_record_refuses_marker_text) {
    std::string sig;
    StringSink sink(sig);
    SigWriter writer(sink);
    EXPECT_THROW(writer.noiseRecord("status " + std::string(kSigHeaderMarker) + ".x.tar"),
                 std::invalid_argument);
    EXPECT_THROW(writer.noiseRecord(kSkip), std::invalid_argument);
    EXPECT_TRUE(sig.empty());
    writer.noiseRecord();
    writer.noiseRecord("");
    const fixture::Walk walk = fixture::walkSig(sig);
    EXPECT_TRUE(walk.archives.empty());
    EXPECT_EQ(walk.noisePayloads.size(), std::size_t{2});
}

TEST(SigWriter, write_archive_carries_bytes_exactly_for_any_chunk_size) {
    const std::string bytes = markerDenseBytes();
    for (const std::size_t chunk :
         {std::size_t{1}, std::size_t{6}, std::size_t{7}, std::size_t{33}, std::size_t{42},
          std::size_t{43}, std::size_t{512}, kSigMaxPayload, std::size_t{1} << 20}) {
        std::string sig;
        StringSink sink(sig);
        SigWriter writer(sink);
        writeArchive(writer, "tarfile.dense.tar", bytes, ArchiveLayout::fixedChunks(chunk));
        checkCarriedIntact(sig, bytes);
    }
}

TEST(SigWriter, write_archive_moves_a_boundary_that_lands_on_a_marker_by_one_byte) {
    // With 43-byte chunks the second chunk would start exactly on the end marker at offset 43.
    const std::string bytes = markerDenseBytes();
    std::string sig;
    StringSink sink(sig);
    SigWriter writer(sink);
    writeArchive(writer, "tarfile.dense.tar", bytes, ArchiveLayout::fixedChunks(43));
    const fixture::Walk walk = fixture::walkSig(sig);
    ASSERT_EQ(walk.archives.size(), std::size_t{1});
    const auto& sizes = walk.archives[0].dataPayloadSizes;
    bool moved = false;
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i) {
        EXPECT_TRUE(sizes[i] >= 42 && sizes[i] <= 44);
        moved = moved || sizes[i] != 43;
    }
    EXPECT_TRUE(moved);
    EXPECT_EQ(walk.archives[0].bytes, bytes);
}

TEST(SigWriter, write_archive_with_random_chunks_and_skip_records) {
    const std::string bytes = markerDenseBytes();
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        std::uint64_t state = seed;
        const auto draw = [&state] {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            return state >> 33;
        };
        std::string sig;
        StringSink sink(sig);
        SigWriter writer(sink);
        const ArchiveLayout layout{[&] { return static_cast<std::size_t>(1 + draw() % 90); },
                                   [&] { return draw() % 3 == 0; }};
        writeArchive(writer, "tarfile.random.tar", bytes, layout);
        checkCarriedIntact(sig, bytes);
        EXPECT_TRUE(fixture::walkSig(sig).archives[0].skipRecords > 0);
    }
}

TEST(SigWriter, write_archive_frames_empty_archive_and_rejects_marker_at_start) {
    std::string sig;
    StringSink sink(sig);
    SigWriter writer(sink);
    writeArchive(writer, "tarfile.empty.tar", "", ArchiveLayout::fixedChunks(512));
    const fixture::Walk walk = fixture::walkSig(sig);
    ASSERT_EQ(walk.archives.size(), std::size_t{1});
    EXPECT_TRUE(walk.archives[0].bytes.empty());
    EXPECT_TRUE(!walk.unterminated);

    for (const std::string& bytes : {kEnd + "rest", kSkip + "rest"}) {
        std::string rejected;
        StringSink rejectedSink(rejected);
        SigWriter rejectingWriter(rejectedSink);
        EXPECT_THROW(writeArchive(rejectingWriter, "tarfile.bad.tar", bytes,
                                  ArchiveLayout::fixedChunks(512)),
                     std::invalid_argument);
    }
}

TEST(SigWriter, file_sink_stores_every_byte_across_buffer_sizes) {
    fixture::TempFolder folder;
    std::string expected;
    for (std::size_t piece = 0; piece < 200; ++piece) {
        expected.append(piece % 37, static_cast<char>('a' + piece % 26));
    }
    for (const std::size_t bufferSize :
         {std::size_t{1}, std::size_t{7}, std::size_t{64}, std::size_t{1} << 20}) {
        const auto path = folder.path() / ("out" + std::to_string(bufferSize));
        FileSink sink(path, bufferSize);
        for (std::size_t piece = 0, offset = 0; piece < 200; ++piece) {
            sink.write(std::string_view(expected).substr(offset, piece % 37));
            offset += piece % 37;
        }
        sink.close();
        EXPECT_EQ(fixture::readFile(path), expected);
    }
}

TEST(SigWriter, file_sink_reports_failures) {
    fixture::TempFolder folder;
    EXPECT_THROW(FileSink(folder.path() / "missing" / "out.sig"), WriteError);
    if (std::filesystem::exists("/dev/full")) {
        const auto fill = [] {
            FileSink sink("/dev/full", 1024);
            sink.write(std::string(4096, 'x'));
            sink.close();
        };
        EXPECT_THROW(fill(), WriteError);
    }
}
