#include "testdata/sample_messages.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace veltrane::testdata {

namespace {

std::uint64_t bigEndian(std::string_view bytes) {
    std::uint64_t value = 0;
    for (const char byte : bytes) {
        value = (value << 8) | static_cast<unsigned char>(byte);
    }
    return value;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw SampleError("cannot open sample " + path.string());
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw SampleError("cannot read sample " + path.string());
    }
    return bytes;
}

// Keeps the first message of the file, which must end with "7777" where its length says.
SampleMessage firstMessage(const std::filesystem::path& path, std::string_view magic,
                           std::optional<std::uint64_t> (*declaredLength)(std::string_view)) {
    std::string bytes = readFile(path);
    const auto length = declaredLength(bytes);
    if (!length || *length > bytes.size() || *length < 12 ||
        std::string_view(bytes).substr(*length - 4, 4) != "7777") {
        throw SampleError("not a complete " + std::string(magic) + " message: " + path.string());
    }
    const int edition = static_cast<unsigned char>(bytes[7]);
    bytes.resize(*length);
    return SampleMessage{path.filename().string(), edition, std::move(bytes)};
}

}  // namespace

std::optional<std::uint64_t> declaredGribLength(std::string_view message) {
    if (message.size() < 8 || !message.starts_with("GRIB")) {
        return std::nullopt;
    }
    switch (message[7]) {
        case 1:
            return bigEndian(message.substr(4, 3));
        case 2:
            if (message.size() < 16) {
                return std::nullopt;
            }
            return bigEndian(message.substr(8, 8));
        default:
            return std::nullopt;
    }
}

std::optional<std::uint64_t> declaredBufrLength(std::string_view message) {
    if (message.size() < 8 || !message.starts_with("BUFR")) {
        return std::nullopt;
    }
    return bigEndian(message.substr(4, 3));
}

SampleMessages loadSampleMessages(const std::filesystem::path& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        throw SampleError("ecCodes samples folder not found: " + folder.string() +
                          " (install libeccodes-data or pass --samples DIR)");
    }
    SampleMessages samples;
    for (const auto name : kGribSampleFiles) {
        const auto path = folder / name;
        if (std::filesystem::exists(path, error)) {
            samples.grib.push_back(firstMessage(path, "GRIB", declaredGribLength));
        }
    }
    for (const auto name : kBufrSampleFiles) {
        const auto path = folder / name;
        if (std::filesystem::exists(path, error)) {
            samples.bufr.push_back(firstMessage(path, "BUFR", declaredBufrLength));
        }
    }
    return samples;
}

}  // namespace veltrane::testdata
