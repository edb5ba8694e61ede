#include "testdata/byte_sink.h"

#include <cerrno>
#include <cstring>

namespace veltrane::testdata {

FileSink::FileSink(const std::filesystem::path& path, std::size_t bufferSize)
    : path_(path), capacity_(bufferSize == 0 ? 1 : bufferSize) {
    errno = 0;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        fail("cannot create", errno);
    }
    // Our own buffer already batches writes; a second stdio buffer would only add a copy.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    buffer_.reserve(capacity_);
}

FileSink::~FileSink() {
    if (file_ != nullptr) {
        // Destruction during error handling must not throw; callers who care call close().
        std::fclose(file_);
    }
}

void FileSink::write(std::string_view bytes) {
    if (file_ == nullptr) {
        throw WriteError("cannot write " + path_.string() + ": file already closed");
    }
    if (buffer_.size() + bytes.size() <= capacity_) {
        buffer_.append(bytes);
        return;
    }
    flushBuffer();
    if (bytes.size() >= capacity_) {
        writeThrough(bytes);
    } else {
        buffer_.append(bytes);
    }
}

void FileSink::close() {
    if (file_ == nullptr) {
        return;
    }
    flushBuffer();
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    if (std::fclose(file) != 0) {
        fail("cannot write", errno);
    }
}

void FileSink::flushBuffer() {
    if (!buffer_.empty()) {
        writeThrough(buffer_);
        buffer_.clear();
    }
}

void FileSink::writeThrough(std::string_view bytes) {
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        fail("cannot write", errno);
    }
}

void FileSink::fail(const char* action, int error) {
    std::string message = std::string(action) + " " + path_.string();
    if (error != 0) {
        message += ": ";
        message += std::strerror(error);
    }
    throw WriteError(message);
}

}  // namespace veltrane::testdata
