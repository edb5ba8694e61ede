#pragma once
// Walks the records of a SIG file from a large in-memory window, so that a stream of small
// records costs one read per window rather than one per record.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <system_error>

#include "platform/file_io.h"

namespace veltrane::sig {

class RecordReader {
  public:
    // windowSize must hold at least one whole record.
    RecordReader(const platform::InputFile& file, std::size_t windowSize);

    // The bytes of the record starting at offset: its whole span, or fewer when the file ends
    // inside it. Empty at the end of the file. Offsets must not go backwards.
    std::span<const std::byte> recordAt(std::int64_t offset, std::error_code& error);

    // Whether recordAt(offset) reads the file, and so moves or overwrites the bytes that earlier
    // records were handed out in.
    bool refillsFor(std::int64_t offset) const;

  private:
    void refill(std::int64_t offset, std::error_code& error);

    const platform::InputFile& file_;
    std::unique_ptr<std::byte[]> window_;
    std::size_t capacity_;
    std::int64_t windowStart_ = 0;  // file offset of window_[0]
    std::size_t windowLength_ = 0;
    bool reachedEnd_ = false;  // the last refill stopped at the end of the file
};

}  // namespace veltrane::sig
