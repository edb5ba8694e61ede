// Fuzz target: the record reader alone, with the smallest window it allows, so that inputs of a
// few hundred KiB cross many window refills (a run's 4 MiB window never refills on small
// inputs). Every record it hands out must be exactly the file's bytes at that offset, cut only
// by the end of the file, and together the records must tile the whole file.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/sig_format.h"
#include "engine/sig_record_reader.h"
#include "fuzz_jail.h"
#include "platform/file_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltrane;
    static fuzzing::Jail jail("feed.sig");
    jail.prepare(data, size);
    platform::InputFile file;
    if (file.open(jail.input())) {
        std::abort();
    }
    sig::RecordReader reader(file, 0);
    std::size_t offset = 0;
    while (offset < size) {
        std::error_code error;
        const auto record = reader.recordAt(static_cast<std::int64_t>(offset), error);
        std::size_t expected = size - offset;
        if (expected >= sig::kLengthFieldSize) {
            const std::size_t span = (data[offset] | (data[offset + 1] << 8)) + 2U;
            expected = span < expected ? span : expected;
        }
        if (error || record.size() != expected ||
            std::memcmp(record.data(), data + offset, expected) != 0) {
            std::fprintf(stderr, "FUZZ FAULT: record at %zu: %zu bytes, expected %zu\n", offset,
                         record.size(), expected);
            std::abort();
        }
        offset += expected < sig::kLengthFieldSize ? expected : sig::recordLength(record) + 2U;
    }
    std::error_code error;
    if (!reader.recordAt(static_cast<std::int64_t>(offset), error).empty() || error) {
        std::fprintf(stderr, "FUZZ FAULT: a record past the end at %zu\n", offset);
        std::abort();
    }
    return 0;
}
