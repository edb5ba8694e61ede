#pragma once

// Independent readers for what the writers produce, following the rules real readers use, so
// the tests judge the output by those rules rather than by the writers' own code.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane::testdata::fixture {

// Stops the current test with the reason when a fixture breaks an expectation; usable in
// helpers that return values, where gtest's ASSERT macros are not.
void require(bool condition, const char* expectation);


struct Record {
    std::uint16_t length = 0;
    std::string header;
    std::string payload;
    std::string trailer;
};

// Splits well-formed records; requires every record to be complete with L >= 33.
std::vector<Record> parseRecords(std::string_view sig);

struct Archive {
    std::string name;
    std::string bytes;
    std::vector<std::size_t> dataPayloadSizes;
    std::size_t skipRecords = 0;
};

struct Walk {
    std::vector<Archive> archives;
    std::vector<std::string> noisePayloads;
    bool unterminated = false;
};

// Outside an archive a record holding the header marker anywhere starts one (name from
// "tarfile" to the first ".tar"); inside, skip records are ignored, an end record closes it and
// any other payload is archive data.
Walk walkSig(std::string_view sig);

struct TarMember {
    std::string name;
    std::string data;
};

// Lists a well-formed ustar archive, requiring valid checksums, magic, octal sizes and the two
// zero end blocks.
std::vector<TarMember> listTar(std::string_view archive);

// Sum of the header bytes with the checksum field counted as spaces.
std::uint32_t tarChecksum(std::string_view header);

// A fresh empty folder under the system temporary folder, removed by the destructor.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, std::string_view bytes);
std::string readFile(const std::filesystem::path& path);

// True if a shell command is available; external tools are optional on developer machines.
bool haveCommand(const std::string& name);
// Runs a shell command; true if it exits with 0 and writes nothing to stderr.
bool runsCleanly(const std::string& command, std::string* diagnostics = nullptr);

}  // namespace veltrane::testdata::fixture
