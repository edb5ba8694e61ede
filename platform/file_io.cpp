#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace veltrane::platform {
namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

void closeDescriptor(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

std::string describe(const std::error_code& error) {
    return error.message();
}

// ---- InputFile ----------------------------------------------------------------------------

InputFile::~InputFile() {
    close();
}

InputFile::InputFile(InputFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

std::error_code InputFile::open(const std::filesystem::path& path) {
    close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        return lastError();
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        auto error = lastError();
        close();
        return error;
    }
    if (S_ISDIR(info.st_mode)) {
        close();
        return std::make_error_code(std::errc::is_a_directory);
    }
    // The whole file is read front to back; tell the kernel so it reads ahead generously.
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return {};
}

void InputFile::close() {
    closeDescriptor(fd_);
}

std::error_code InputFile::size(std::int64_t& bytes) const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        return lastError();
    }
    bytes = info.st_size;
    return {};
}

std::size_t InputFile::readAt(std::int64_t offset, std::span<std::byte> buffer,
                              std::error_code& error) const {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t got = ::pread(fd_, buffer.data() + done, buffer.size() - done,
                                    static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = lastError();
            return done;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

// ---- OutputFile ---------------------------------------------------------------------------

namespace {

constexpr std::string_view kTemporarySuffix = ".part";

// ".veltrane-PID-": the start of every temporary name this process gives.
const std::string& temporaryPrefix() {
    static const std::string prefix = ".veltrane-" + std::to_string(::getpid()) + "-";
    return prefix;
}

// Hidden, and unique within the process and across processes writing the same folder: each
// call takes a fresh sequence number.
std::filesystem::path temporaryNameBeside(const std::filesystem::path& path) {
    static std::atomic<unsigned> sequence{0};
    return path.parent_path() / (temporaryPrefix() + std::to_string(sequence.fetch_add(1)) +
                                 std::string(kTemporarySuffix));
}

}  // namespace

bool isOwnTemporaryName(std::string_view fileName) {
    const std::string_view prefix = temporaryPrefix();
    if (!fileName.starts_with(prefix) || !fileName.ends_with(kTemporarySuffix) ||
        fileName.size() <= prefix.size() + kTemporarySuffix.size()) {
        return false;
    }
    const auto sequence =
        fileName.substr(prefix.size(), fileName.size() - prefix.size() - kTemporarySuffix.size());
    return std::all_of(sequence.begin(), sequence.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

OutputFile::~OutputFile() {
    discard();
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      temporaryPath_(std::move(other.temporaryPath_)) {
    other.temporaryPath_.clear();
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        discard();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        temporaryPath_ = std::move(other.temporaryPath_);
        other.temporaryPath_.clear();
    }
    return *this;
}

std::error_code OutputFile::create(const std::filesystem::path& path) {
    discard();
    path_ = path;
    // A name already in use (left by a crashed run) is skipped, never reused.
    constexpr unsigned kAttempts = 16;
    for (unsigned attempt = 0; attempt < kAttempts; ++attempt) {
        const auto candidate = temporaryNameBeside(path);
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd_ >= 0) {
            temporaryPath_ = candidate;
            return {};
        }
        if (errno != EEXIST) {
            return lastError();
        }
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code OutputFile::write(std::span<const std::byte> data) {
    while (!data.empty()) {
        const ssize_t put = ::write(fd_, data.data(), data.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        if (put == 0) {
            return std::make_error_code(std::errc::no_space_on_device);
        }
        data = data.subspan(static_cast<std::size_t>(put));
    }
    return {};
}

std::error_code OutputFile::commit() {
    if (fd_ < 0) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    std::error_code error;
    if (::close(std::exchange(fd_, -1)) != 0) {
        error = lastError();
    } else if (::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        error = lastError();
    }
    if (error) {
        ::unlink(temporaryPath_.c_str());
    }
    temporaryPath_.clear();
    return error;
}

void OutputFile::discard() {
    closeDescriptor(fd_);
    if (!temporaryPath_.empty()) {
        ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
}

// ---- BufferedOutput -----------------------------------------------------------------------

BufferedOutput::BufferedOutput(std::size_t capacity) : capacity_(capacity) {}

std::error_code BufferedOutput::create(const std::filesystem::path& path) {
    pieceCount_ = 0;
    queued_ = 0;
    appended_ = 0;
    error_ = file_.create(path);
    return error_;
}

void BufferedOutput::appendInPlace(std::span<const std::byte> data) {
    appended_ += static_cast<std::int64_t>(data.size());
    if (error_ || data.empty()) {
        return;
    }
    pieces_[pieceCount_++] = data;
    queued_ += data.size();
    if (queued_ >= capacity_ || pieceCount_ == kMaxPieces) {
        flush();
    }
}

void BufferedOutput::flush() {
    std::array<iovec, kMaxPieces> vectors;
    std::size_t first = 0;
    for (std::size_t i = 0; i < pieceCount_; ++i) {
        vectors[i] = {const_cast<std::byte*>(pieces_[i].data()), pieces_[i].size()};
    }
    while (first < pieceCount_ && !error_) {
        const ssize_t put = ::writev(file_.descriptor(), vectors.data() + first,
                                     static_cast<int>(pieceCount_ - first));
        if (put < 0) {
            if (errno != EINTR) {
                error_ = lastError();
            }
            continue;
        }
        if (put == 0) {
            error_ = std::make_error_code(std::errc::no_space_on_device);
            break;
        }
        // A short write ends inside some piece: go on from the first byte not written.
        auto done = static_cast<std::size_t>(put);
        while (first < pieceCount_ && done >= vectors[first].iov_len) {
            done -= vectors[first].iov_len;
            ++first;
        }
        if (first < pieceCount_) {
            vectors[first].iov_base = static_cast<std::byte*>(vectors[first].iov_base) + done;
            vectors[first].iov_len -= done;
        }
    }
    pieceCount_ = 0;
    queued_ = 0;
}

std::error_code BufferedOutput::commit() {
    flush();
    if (error_) {
        file_.discard();
        return error_;
    }
    error_ = file_.commit();
    return error_;
}

void BufferedOutput::discard() {
    pieceCount_ = 0;
    queued_ = 0;
    file_.discard();
}

// ---- copyRange ----------------------------------------------------------------------------

std::int64_t copyRange(const InputFile& from, std::int64_t offset, std::int64_t count,
                       OutputFile& to, std::span<std::byte> scratch, std::error_code& error) {
    std::int64_t copied = 0;
    bool kernelCopy = true;
    while (copied < count) {
        const auto want = static_cast<std::size_t>(count - copied);
        if (kernelCopy) {
            loff_t inOffset = offset + copied;
            const ssize_t moved =
                ::copy_file_range(from.descriptor(), &inOffset, to.descriptor(), nullptr, want, 0);
            if (moved > 0) {
                copied += moved;
                continue;
            }
            if (moved == 0) {
                return copied;  // the input ended
            }
            if (errno == EINTR) {
                continue;
            }
            // Filesystems and kernels that cannot copy in place say so; anything else is real.
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
                errno != EBADF) {
                error = lastError();
                return copied;
            }
            kernelCopy = false;
        }
        const std::size_t chunk = std::min(want, scratch.size());
        const std::size_t got = from.readAt(offset + copied, scratch.first(chunk), error);
        if (error) {
            return copied;
        }
        if (got == 0) {
            return copied;
        }
        error = to.write(scratch.first(got));
        if (error) {
            return copied;
        }
        copied += static_cast<std::int64_t>(got);
    }
    return copied;
}

}  // namespace veltrane::platform
