#include "testdata/tar_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture_reader.h"

using namespace veltrane::testdata;

namespace {

std::string field(const std::string& header, std::size_t offset, std::size_t size) {
    return header.substr(offset, size);
}

}  // namespace

TEST(TarWriter, add_file_writes_a_complete_ustar_header) {
    TarWriter tar;
    tar.addFile("A_HTXA50KWBC111200_C_KWBC_20261211120000_1.bin", "0123456789");
    tar.finish();
    const std::string archive = tar.release();
    ASSERT_EQ(archive.size(), std::size_t{512 * 4});
    const std::string header = archive.substr(0, 512);
    EXPECT_EQ(field(header, 0, 48),
              std::string("A_HTXA50KWBC111200_C_KWBC_20261211120000_1.bin\0\0", 48));
    EXPECT_EQ(field(header, 100, 8), std::string("0000644\0", 8));
    EXPECT_EQ(field(header, 124, 12), std::string("00000000012\0", 12));
    EXPECT_EQ(header[156], '0');
    EXPECT_EQ(field(header, 257, 8), std::string("ustar\0"
                                                 "00",
                                                 8));
    EXPECT_EQ(field(header, 265, 9), std::string("veltrane\0", 9));
    const std::string checksum = field(header, 148, 8);
    EXPECT_EQ(checksum[6], '\0');
    EXPECT_EQ(checksum[7], ' ');
    EXPECT_EQ(std::stoul(checksum.substr(0, 6), nullptr, 8),
              std::size_t{fixture::tarChecksum(header)});
    EXPECT_EQ(archive.substr(512, 10), std::string("0123456789"));
    EXPECT_EQ(archive.find_first_not_of('\0', 522), std::string::npos);
}

TEST(TarWriter, members_are_padded_to_whole_blocks) {
    TarWriter tar;
    const std::vector<std::size_t> sizes{0, 1, 511, 512, 513, 70000};
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        tar.addFile("m" + std::to_string(i), std::string(sizes[i], static_cast<char>('a' + i)));
    }
    tar.finish();
    const auto members = fixture::listTar(tar.bytes());
    ASSERT_EQ(members.size(), sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_EQ(members[i].name, "m" + std::to_string(i));
        EXPECT_EQ(members[i].data, std::string(sizes[i], static_cast<char>('a' + i)));
    }
}

TEST(TarWriter, add_file_accepts_a_full_100_byte_name_and_rejects_bad_ones) {
    TarWriter tar;
    const std::string longest(100, 'n');
    tar.addFile(longest, "x");
    EXPECT_EQ(tar.bytes().substr(0, 101), longest + '0');  // no NUL: the mode field follows
    EXPECT_THROW(tar.addFile(std::string(101, 'n'), "x"), std::invalid_argument);
    EXPECT_THROW(tar.addFile("", "x"), std::invalid_argument);
    EXPECT_THROW(tar.addFile(std::string("a\0b", 3), "x"), std::invalid_argument);
    EXPECT_EQ(tar.bytes().size(), std::size_t{1024});
}

TEST(TarWriter, raw_size_fields_are_stored_verbatim_with_valid_checksum) {
    const std::vector<std::string> sizeFields{
        "zzzzzzzzzzzz",                    // junk
        base256SizeField(5),               // binary form
        "000000000005",                    // twelve digits, no terminator
        std::string("         12\0", 12),  // leading spaces
        std::string("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff", 12)};
    for (const auto& sizeField : sizeFields) {
        ASSERT_EQ(sizeField.size(), std::size_t{12});
        TarWriter tar;
        TarEntry entry{"odd"};
        entry.sizeField = sizeField;
        tar.addMember(entry, "hello");
        const std::string header = tar.bytes().substr(0, 512);
        EXPECT_EQ(header.substr(124, 12), sizeField);
        EXPECT_EQ(std::stoul(header.substr(148, 6), nullptr, 8),
                  std::size_t{fixture::tarChecksum(header)});
        EXPECT_EQ(tar.bytes().size(), std::size_t{1024});
    }
    TarEntry shortField{"odd"};
    shortField.sizeField = "123";
    EXPECT_THROW(TarWriter::headerBlock(shortField, 0), std::invalid_argument);
}

TEST(TarWriter, base256_size_field_is_big_endian_after_the_flag_byte) {
    EXPECT_EQ(base256SizeField(0x0123456789ULL),
              std::string("\x80\0\0\0\0\0\0\x01\x23\x45\x67\x89", 12));
}

TEST(TarWriter, raw_names_are_stored_verbatim) {
    const std::vector<std::string> names{
        "..", "C:x", "a/b/c", "a\\b", "\x01\x1b[2J", "../../etc/passwd", std::string(100, '/')};
    for (const auto& name : names) {
        TarWriter tar;
        tar.addMember(TarEntry{name}, "data");
        EXPECT_EQ(tar.bytes().substr(0, name.size()), name);
        if (name.size() < 100) {
            EXPECT_EQ(tar.bytes()[name.size()], '\0');
        }
    }
}

TEST(TarWriter, truncated_member_ends_the_archive_short) {
    TarWriter tar;
    tar.addFile("whole", "complete");
    tar.addTruncatedMember(TarEntry{"cut"}, 1000, "only ten b");
    const std::string& archive = tar.bytes();
    EXPECT_EQ(archive.size(), std::size_t{512 + 512 + 512 + 10});
    EXPECT_EQ(archive.substr(1024 + 124, 12), std::string("00000001750\0", 12));
    EXPECT_EQ(archive.substr(1536), std::string("only ten b"));
    EXPECT_THROW(tar.addFile("more", "x"), std::logic_error);
    EXPECT_THROW(tar.finish(), std::logic_error);
    EXPECT_THROW(tar.addTruncatedMember(TarEntry{"bad"}, 4, "four"), std::logic_error);
}

TEST(TarWriter, archive_without_end_blocks_stops_after_last_member) {
    TarWriter tar;
    tar.addFile("a", std::string(600, 'a'));
    EXPECT_EQ(tar.bytes().size(), std::size_t{512 + 1024});
    tar.reset();
    EXPECT_TRUE(tar.bytes().empty());
    tar.addFile("b", "b");
    tar.finish();
    EXPECT_EQ(fixture::listTar(tar.bytes()).size(), std::size_t{1});
}

TEST(TarWriter, gnu_tar_and_bsdtar_list_and_extract_without_warnings) {
    TarWriter tar;
    tar.addFile("A_HTXA50KWBC111200_C_KWBC_20261211120000_1.bin", std::string(1000, 'g'));
    tar.addFile("A_SAUS70EGRR111200_C_EGRR_20261211120000_2.grib2.grb", "");
    tar.addFile(std::string(100, 'L'), std::string(512, 'l'));
    tar.finish();
    fixture::TempFolder folder;
    const auto archive = folder.path() / "members.tar";
    fixture::writeFile(archive, tar.bytes());
    for (const std::string tool : {"tar", "bsdtar"}) {
        if (!fixture::haveCommand(tool)) {
            continue;
        }
        const auto into = folder.path() / tool;
        std::filesystem::create_directory(into);
        std::string diagnostics;
        EXPECT_TRUE(fixture::runsCleanly(tool + " -tvf '" + archive.string() + "'", &diagnostics));
        EXPECT_TRUE(fixture::runsCleanly(
            tool + " -xf '" + archive.string() + "' -C '" + into.string() + "'", &diagnostics));
        EXPECT_EQ(diagnostics, std::string());
        EXPECT_EQ(fixture::readFile(into / std::string(100, 'L')), std::string(512, 'l'));
    }
}
