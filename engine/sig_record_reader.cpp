#include "engine/sig_record_reader.h"

#include <algorithm>
#include <cstring>

#include "engine/sig_format.h"

namespace veltrane::sig {

RecordReader::RecordReader(const platform::InputFile& file, std::size_t windowSize)
    : file_(file),
      window_(new std::byte[std::max(windowSize, kMaxRecordSpan)]),
      capacity_(std::max(windowSize, kMaxRecordSpan)) {}

bool RecordReader::refillsFor(std::int64_t offset) const {
    const std::int64_t windowEnd = windowStart_ + static_cast<std::int64_t>(windowLength_);
    const bool inWindow = offset >= windowStart_ && offset <= windowEnd;
    const bool wholeRecordInWindow =
        inWindow && windowEnd - offset >= static_cast<std::int64_t>(kMaxRecordSpan);
    // Near the end of the file the window may legitimately hold less than a record; refill
    // anyway when it has not seen the end yet, since the file may have grown.
    return !inWindow || (!wholeRecordInWindow && !reachedEnd_);
}

std::span<const std::byte> RecordReader::recordAt(std::int64_t offset, std::error_code& error) {
    if (refillsFor(offset)) {
        refill(offset, error);
    }
    const std::int64_t start = offset - windowStart_;
    if (start < 0 || start >= static_cast<std::int64_t>(windowLength_)) {
        return {};
    }
    std::span<const std::byte> present{window_.get() + start,
                                       windowLength_ - static_cast<std::size_t>(start)};
    if (present.size() < kLengthFieldSize) {
        return present;
    }
    const std::size_t span = recordLength(present) + kLengthFieldSize;
    return present.first(std::min(span, present.size()));
}

void RecordReader::refill(std::int64_t offset, std::error_code& error) {
    // Keep what the window already holds from offset on, and read only what follows it.
    std::size_t kept = 0;
    const std::int64_t windowEnd = windowStart_ + static_cast<std::int64_t>(windowLength_);
    if (offset >= windowStart_ && offset < windowEnd) {
        kept = static_cast<std::size_t>(windowEnd - offset);
        std::memmove(window_.get(), window_.get() + (offset - windowStart_), kept);
    }
    windowStart_ = offset;
    const std::span<std::byte> rest{window_.get() + kept, capacity_ - kept};
    const std::size_t got = file_.readAt(offset + static_cast<std::int64_t>(kept), rest, error);
    windowLength_ = kept + got;
    reachedEnd_ = got < rest.size();
}

}  // namespace veltrane::sig
