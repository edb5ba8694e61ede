#pragma once
// Thin RAII wrappers over POSIX file descriptors: the engine reads and writes raw bytes at
// explicit offsets and needs to know exactly which operation failed and why.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace veltrane::platform {

// A file opened for reading only. Other readers and writers may use it at the same time.
class InputFile {
  public:
    InputFile() = default;
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    std::error_code open(const std::filesystem::path& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }

    // Current length of the file, or an error.
    std::error_code size(std::int64_t& bytes) const;

    // Reads up to buffer.size() bytes at offset; stops early only at the end of the file.
    // Returns the number of bytes read; errors are reported through `error`.
    std::size_t readAt(std::int64_t offset, std::span<std::byte> buffer,
                       std::error_code& error) const;

  private:
    int fd_ = -1;
};

// A file written under a temporary name in its target's folder and renamed to its name only
// when complete, so that a program watching the folder never sees a half-written file, and a
// file that failed never looks like a good one. The final name, when it exists, is replaced;
// a symbolic link there is replaced, never followed.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();  // discards a file that was not committed
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::error_code create(const std::filesystem::path& path);
    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    const std::filesystem::path& path() const { return path_; }

    // Writes all of data or fails; a short write (a full disk) is an error.
    std::error_code write(std::span<const std::byte> data);

    // Closes the file and gives it its name. On an error the temporary file is removed.
    std::error_code commit();

    // Closes and removes the temporary file; the final name is left as it was.
    void discard();

  private:
    int fd_ = -1;
    std::filesystem::path path_;
    std::filesystem::path temporaryPath_;
};

// Whether a file name is one this process gives an OutputFile while it is written
// (".veltrane-PID-N.part"), so that tests can show that none is left behind.
bool isOwnTemporaryName(std::string_view fileName);

// Gathers appends into large writes without copying them, so a stream of small SIG payloads
// costs few system calls and no copy in memory. An append is written from where it lies: the
// caller keeps those bytes unchanged until the next flush(), commit() or discard(). The first
// error sticks: later appends are dropped and the error is kept for the caller.
class BufferedOutput {
  public:
    // Bytes queued before they are written; Linux takes at most 1024 pieces in one write.
    explicit BufferedOutput(std::size_t capacity);

    std::error_code create(const std::filesystem::path& path);
    bool isOpen() const { return file_.isOpen(); }
    void appendInPlace(std::span<const std::byte> data);
    // Writes what is queued, so that the caller may reuse the memory it lies in.
    void flush();
    std::error_code error() const { return error_; }
    std::int64_t bytesAppended() const { return appended_; }

    // Flushes, closes and gives the file its name; returns the first error of its whole life.
    std::error_code commit();
    void discard();

  private:
    static constexpr std::size_t kMaxPieces = 1024;

    OutputFile file_;
    std::array<std::span<const std::byte>, kMaxPieces> pieces_;
    std::size_t pieceCount_ = 0;
    std::size_t queued_ = 0;
    std::size_t capacity_;
    std::int64_t appended_ = 0;
    std::error_code error_;
};

// Copies count bytes of `from` starting at offset to the end of `to`, in the kernel where the
// host allows it. Returns the number of bytes copied; a short count with no error means the
// input ended first.
std::int64_t copyRange(const InputFile& from, std::int64_t offset, std::int64_t count,
                       OutputFile& to, std::span<std::byte> scratch, std::error_code& error);

// A message for an error code that reads well after a path: "No space left on device".
std::string describe(const std::error_code& error);

}  // namespace veltrane::platform
