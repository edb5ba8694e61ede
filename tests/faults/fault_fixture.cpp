#include "fault_fixture.h"

#include <sys/mount.h>
#include <unistd.h>

#include "platform/file_io.h"
#include "run_fixture.h"
#include "testdata/byte_sink.h"
#include "testdata/tar_writer.h"

namespace veltrane::testing_support {

namespace fs = std::filesystem;

std::string heading() {
    return "\x01\r\r\n00042\r\r\nHTXA50 KWBC 111200\r\r\n";
}

std::string gribMessage(std::size_t body) {
    const std::size_t length = 8 + body + 4;
    std::string message = "GRIB";
    message += static_cast<char>((length >> 16) & 0xFF);
    message += static_cast<char>((length >> 8) & 0xFF);
    message += static_cast<char>(length & 0xFF);
    message += '\x01';
    return message + std::string(body, 'g') + "7777";
}

std::string imagMember(std::size_t body) {
    std::string data = heading() + "IMAG";
    for (std::size_t i = 0; i < body; ++i) {
        data += static_cast<char>('a' + i % 26);
    }
    return data;
}

std::string textMember(std::size_t body) {
    return heading() + std::string(body, 't') + "\r\r\n\x03";
}

std::string archiveOf(const std::vector<std::pair<std::string, std::string>>& members) {
    testdata::TarWriter tar;
    for (const auto& [name, data] : members) {
        tar.addMember(testdata::TarEntry(name), data);
    }
    tar.finish();
    return tar.release();
}

std::string sigWith(const std::function<void(testdata::SigWriter&)>& build) {
    std::string sig;
    testdata::StringSink sink(sig);
    testdata::SigWriter writer(sink);
    build(writer);
    return sig;
}

std::vector<fs::path> partFilesUnder(const fs::path& root) {
    std::vector<fs::path> found;
    if (!fs::exists(root)) {
        return found;
    }
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (platform::isOwnTemporaryName(entry.path().filename().string())) {
            found.push_back(entry.path());
        }
    }
    return found;
}

std::map<std::string, std::string> productsUnder(const fs::path& out) {
    auto files = filesUnder(out);
    std::erase_if(files, [](const auto& file) { return file.first.starts_with("TAR Files"); });
    return files;
}

std::int64_t productsCounted(const RunCounters& counters) {
    std::int64_t sum = 0;
    for (const Counter counter : kAllCounters) {
        sum += counter == Counter::Tar ? 0 : counters[counter];
    }
    return sum;
}

SmallDisk::SmallDisk(const fs::path& folder, std::size_t bytes) : folder_(folder) {
    fs::create_directories(folder);
    const std::string options = "size=" + std::to_string(bytes);
    mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_) {
        ::umount2(folder_.c_str(), MNT_DETACH);
    }
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    const rlimit limit{bytes, saved_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
}

}  // namespace veltrane::testing_support
