#include "fixture_reader.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace veltrane::testdata::fixture {

void require(bool condition, const char* expectation) {
    if (!condition) {
        throw std::runtime_error(std::string("fixture: expected ") + expectation);
    }
}


namespace {

const std::string_view kHeaderMarker = "BEGIN\r\nFILE_NAME      tarfile";
const std::string_view kSkipMarker{"\0\0\0\0BEG", 7};
const std::string_view kEndMarker = "\r\n\r\nBEGIN\r\nFILE_NAME      tarfile";

std::uint64_t parseOctal(std::string_view field) {
    std::uint64_t value = 0;
    std::size_t i = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '7'; ++i) {
        value = value * 8 + static_cast<std::uint64_t>(field[i] - '0');
    }
    require(i > 0, "i > 0");
    require(i == field.size() || field[i] == '\0' || field[i] == ' ',
            "i == field.size() || field[i] == '\\0' || field[i] == ' '");
    return value;
}

}  // namespace

std::vector<Record> parseRecords(std::string_view sig) {
    std::vector<Record> records;
    std::size_t offset = 0;
    while (offset < sig.size()) {
        require(sig.size() - offset >= 2, "sig.size() - offset >= 2");
        const auto length =
            static_cast<std::uint16_t>(static_cast<unsigned char>(sig[offset]) |
                                       (static_cast<unsigned char>(sig[offset + 1]) << 8));
        require(length >= 33, "length >= 33");
        require(sig.size() - offset - 2 >= length, "sig.size() - offset - 2 >= length");
        const std::string_view body = sig.substr(offset + 2, length);
        records.push_back(Record{length, std::string(body.substr(0, 30)),
                                 std::string(body.substr(30, length - 33u)),
                                 std::string(body.substr(length - 3u))});
        offset += 2u + length;
    }
    return records;
}

Walk walkSig(std::string_view sig) {
    Walk walk;
    bool inside = false;
    for (const Record& record : parseRecords(sig)) {
        const std::string_view payload = record.payload;
        if (!inside) {
            const auto marker = payload.find(kHeaderMarker);
            if (marker == std::string_view::npos) {
                walk.noisePayloads.push_back(record.payload);
                continue;
            }
            const std::size_t nameStart = marker + kHeaderMarker.size() - 7;
            const auto suffix = payload.find(".tar", nameStart + 7);
            require(suffix != std::string_view::npos, "suffix != std::string_view::npos");
            walk.archives.push_back(
                Archive{std::string(payload.substr(nameStart, suffix + 4 - nameStart)), {}, {}, 0});
            inside = true;
        } else if (payload.starts_with(kSkipMarker)) {
            ++walk.archives.back().skipRecords;
        } else if (payload.starts_with(kEndMarker)) {
            inside = false;
        } else {
            walk.archives.back().bytes.append(payload);
            walk.archives.back().dataPayloadSizes.push_back(payload.size());
        }
    }
    walk.unterminated = inside;
    return walk;
}

std::uint32_t tarChecksum(std::string_view header) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 512; ++i) {
        sum += (i >= 148 && i < 156) ? ' ' : static_cast<unsigned char>(header[i]);
    }
    return sum;
}

std::vector<TarMember> listTar(std::string_view archive) {
    std::vector<TarMember> members;
    require(archive.size() % 512 == 0, "archive.size() % 512 == 0");
    std::size_t offset = 0;
    while (true) {
        require(archive.size() - offset >= 1024, "archive.size() - offset >= 1024");
        const std::string_view header = archive.substr(offset, 512);
        if (header.find_first_not_of('\0') == std::string_view::npos) {
            const std::string_view next = archive.substr(offset + 512, 512);
            require(next.find_first_not_of('\0') == std::string_view::npos,
                    "next.find_first_not_of('\\0') == std::string_view::npos");
            require(offset + 1024 == archive.size(), "offset + 1024 == archive.size()");
            return members;
        }
        require(header.substr(257, 8) == std::string_view("ustar\0"
                                                          "00",
                                                          8),
                "the ustar magic");
        require(parseOctal(header.substr(148, 8)) == std::uint64_t{tarChecksum(header)},
                "a valid checksum");
        const std::uint64_t size = parseOctal(header.substr(124, 12));
        const std::string_view nameField = header.substr(0, 100);
        const std::string name(nameField.substr(0, nameField.find('\0')));
        offset += 512;
        require(archive.size() - offset >= size, "archive.size() - offset >= size");
        members.push_back(TarMember{name, std::string(archive.substr(offset, size))});
        offset += (size + 511) / 512 * 512;
    }
}

TempFolder::TempFolder() {
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() /
                         ("veltrane-testdata-" + std::to_string(entropy()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    require(false, "a free temporary folder name");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    require(out.good(), "the fixture file to be written");
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    require(in.good(), "the fixture file to be readable");
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool haveCommand(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

bool runsCleanly(const std::string& command, std::string* diagnostics) {
    TempFolder folder;
    const auto errors = folder.path() / "stderr";
    const int status = std::system((command + " >/dev/null 2>'" + errors.string() + "'").c_str());
    const std::string stderrText = readFile(errors);
    if (diagnostics != nullptr) {
        *diagnostics = stderrText;
    }
    return status == 0 && stderrText.empty();
}

}  // namespace veltrane::testdata::fixture
