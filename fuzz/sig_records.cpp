// Fuzz target: the record reader alone, with the smallest window it allows, so that inputs of a
// few hundred KiB cross many window refills (a run's 4 MiB window never refills on small
// inputs). Every record it hands out must be exactly the file's bytes at that offset, cut only
// by the end of the file; together the records must tile the whole file; and every record must
// still hold those bytes until refillsFor() announces that the window moves, since the run
// writes payloads from the window only then.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "engine/sig_format.h"
#include "engine/sig_record_reader.h"
#include "fuzz_jail.h"
#include "platform/file_io.h"

namespace {

[[noreturn]] void fault(const char* what, std::size_t offset) {
    std::fprintf(stderr, "FUZZ FAULT: %s, record at %zu\n", what, offset);
    std::abort();
}

// The records handed out since the window last moved, with their offsets in the file.
struct HandedOut {
    std::vector<std::pair<std::size_t, std::span<const std::byte>>> records;

    void checkIntact(const std::uint8_t* data) const {
        for (const auto& [offset, record] : records) {
            if (std::memcmp(record.data(), data + offset, record.size()) != 0) {
                fault("a record changed before the window was said to move", offset);
            }
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltrane;
    static fuzzing::Jail jail("feed.sig");
    jail.prepare(data, size);
    platform::InputFile file;
    if (file.open(jail.input())) {
        std::abort();
    }
    sig::RecordReader reader(file, 0);
    HandedOut handedOut;
    std::size_t offset = 0;
    while (offset < size) {
        if (reader.refillsFor(static_cast<std::int64_t>(offset))) {
            handedOut.checkIntact(data);
            handedOut.records.clear();
        }
        std::error_code error;
        const auto record = reader.recordAt(static_cast<std::int64_t>(offset), error);
        std::size_t expected = size - offset;
        if (expected >= sig::kLengthFieldSize) {
            const std::size_t span = (data[offset] | (data[offset + 1] << 8)) + 2U;
            expected = span < expected ? span : expected;
        }
        if (error || record.size() != expected ||
            std::memcmp(record.data(), data + offset, expected) != 0) {
            fault("not the file's bytes", offset);
        }
        handedOut.records.emplace_back(offset, record);
        offset += expected < sig::kLengthFieldSize ? expected : sig::recordLength(record) + 2U;
    }
    handedOut.checkIntact(data);
    std::error_code error;
    if (!reader.recordAt(static_cast<std::int64_t>(offset), error).empty() || error) {
        fault("a record past the end", offset);
    }
    return 0;
}
