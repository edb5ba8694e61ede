#include "testdata/sig_generator.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "testdata/prng.h"
#include "testdata/tar_writer.h"

namespace veltrane::testdata {

namespace {

constexpr std::uint64_t kMinArchiveBudget = std::uint64_t{1} << 20;
constexpr std::uint64_t kMaxArchiveBudget = std::uint64_t{4} << 20;
constexpr std::uint64_t kMinMembers = 10;
constexpr std::uint64_t kMaxMembers = 60;
// Below this many missing bytes a further archive would overshoot more than it fills, so the
// file is topped up with a noise record instead.
constexpr std::uint64_t kTailThreshold = 4096;
constexpr std::size_t kMaxNoisePayload = 2048;
// Room kept for the header and end records of an archive.
constexpr std::uint64_t kArchiveFraming = 256;
// One skip record for this many data records, on average.
constexpr std::uint64_t kChunksPerSkip = 24;
// Bytes a skip record occupies (its 32-byte payload plus framing).
constexpr std::uint64_t kSkipRecordSize = 32 + kSigRecordOverhead + kSigLengthFieldSize;

void validate(const ProductFactory& factory, const GeneratorOptions& options) {
    if (options.targetSize == 0) {
        throw std::invalid_argument("target size must be positive");
    }
    if (options.recordMin == 0 || options.recordMin > options.recordMax ||
        options.recordMax > kSigMaxPayload) {
        throw std::invalid_argument("record payload sizes must satisfy 1 <= MIN <= MAX <= " +
                                    std::to_string(kSigMaxPayload));
    }
    if (options.kinds.empty()) {
        throw std::invalid_argument("no product kinds selected");
    }
    for (const ProductKind kind : options.kinds) {
        if (!factory.canMake(kind)) {
            throw std::invalid_argument("no sample messages for " +
                                        std::string(productKindName(kind)));
        }
    }
}

// Bytes without upper-case letters, so noise can never hold a SIG marker.
std::string noisePayload(std::size_t size, Prng& rng) {
    std::string payload(size, '\0');
    rng.fill(payload.data(), size);
    for (char& byte : payload) {
        if (byte >= 'A' && byte <= 'Z') {
            byte = static_cast<char>(byte | 0x20);
        }
    }
    return payload;
}

std::string archiveName(std::uint64_t feed, std::uint64_t index, Prng& rng) {
    std::array<char, 64> name{};
    std::snprintf(name.data(), name.size(), "tarfile.%05llu.%06llu.%06llu.tar",
                  static_cast<unsigned long long>(feed),
                  static_cast<unsigned long long>(index % 1000000),
                  static_cast<unsigned long long>(rng.below(1000000)));
    return name.data();
}

}  // namespace

GenerationCounts generateSig(ByteSink& sink, const ProductFactory& factory,
                             const GeneratorOptions& options) {
    validate(factory, options);
    Prng rng(options.seed);
    SigWriter writer(sink);
    TarWriter tar;
    GenerationCounts counts;
    const std::uint64_t feed = rng.below(100000);
    const std::uint64_t averageChunk = (options.recordMin + options.recordMax) / 2;
    std::uint64_t serial = 1;

    const auto remaining = [&] {
        return writer.bytesWritten() < options.targetSize
                   ? options.targetSize - writer.bytesWritten()
                   : 0;
    };

    while (true) {
        if (counts.archives > 0 && remaining() < kTailThreshold) {
            if (remaining() >= kSigRecordOverhead + kSigLengthFieldSize) {
                writer.noiseRecord(
                    noisePayload(remaining() - kSigRecordOverhead - kSigLengthFieldSize, rng));
            }
            break;
        }
        for (std::uint64_t n = rng.below(4); n > 0; --n) {
            const std::size_t limit = std::min<std::uint64_t>(kMaxNoisePayload, remaining() / 16);
            writer.noiseRecord(noisePayload(rng.below(limit + 1), rng));
        }

        // Each data record adds its framing and a share of a skip record, so the archive gets
        // the part of what is left that its bytes will take once sliced.
        const std::uint64_t left = remaining();
        const std::uint64_t perChunk =
            kChunksPerSkip * (averageChunk + kSigRecordOverhead + kSigLengthFieldSize) +
            kSkipRecordSize;
        const std::uint64_t perChunkData = kChunksPerSkip * averageChunk;
        // Split so that the product cannot overflow for any target size.
        const std::uint64_t sliced =
            left / perChunk * perChunkData + left % perChunk * perChunkData / perChunk;
        const std::uint64_t budget =
            std::min(sliced > kArchiveFraming ? sliced - kArchiveFraming : 0,
                     rng.between(kMinArchiveBudget, kMaxArchiveBudget));
        const std::uint64_t memberCount = rng.between(kMinMembers, kMaxMembers);
        const std::uint64_t mtime = kDefaultTarMtime + counts.archives * 3600;

        tar.reset();
        for (std::uint64_t i = 0; i < memberCount; ++i) {
            // Every member costs a header block, and the archive ends with two zero blocks.
            const std::uint64_t used = tar.bytes().size() + 3 * kTarBlockSize;
            if (i > 0 && used + kTarBlockSize > budget) {
                break;
            }
            const ProductKind kind = options.kinds[rng.below(options.kinds.size())];
            const std::size_t limit = budget > used ? static_cast<std::size_t>(budget - used) : 0;
            const Member member = factory.make(kind, serial++, rng, limit);
            tar.addFile(member.name, member.data, mtime);
            ++counts.members;
            ++counts.byKind[static_cast<std::size_t>(kind)];
        }
        tar.finish();

        const std::string name = archiveName(feed, counts.archives, rng);
        const ArchiveLayout layout{
            [&] {
                return static_cast<std::size_t>(rng.between(options.recordMin, options.recordMax));
            },
            [&] { return rng.chance(1, kChunksPerSkip); }};
        writeArchive(writer, name, tar.bytes(), layout);
        ++counts.archives;
    }
    counts.bytes = writer.bytesWritten();
    return counts;
}

std::string formatManifest(const GenerationCounts& counts) {
    std::string manifest;
    manifest.append("archives ").append(std::to_string(counts.archives)).append("\n");
    manifest.append("members ").append(std::to_string(counts.members)).append("\n");
    for (const ProductKind kind : kAllProductKinds) {
        manifest.append(productKindName(kind))
            .append(" ")
            .append(std::to_string(counts.of(kind)))
            .append("\n");
    }
    return manifest;
}

}  // namespace veltrane::testdata
