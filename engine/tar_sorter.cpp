// The archive walk of a run: every member of a finished archive becomes a product file of the
// kind its signature tells, in that kind's folder.

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "engine/bit_reverse.h"
#include "engine/extraction_run.h"
#include "engine/member_path.h"
#include "engine/tar_format.h"

namespace veltrane {
namespace {

std::string atOffset(std::int64_t offset) {
    return "at offset " + std::to_string(offset);
}

}  // namespace

void ExtractionRun::SplitTarFile(const std::filesystem::path& archivePath) {
    if (const auto archive = openForSplit(archivePath)) {
        splitArchive(*archive, archivePath);
    }
}

std::optional<platform::InputFile> ExtractionRun::openForSplit(
    const std::filesystem::path& archivePath) {
    platform::InputFile archive;
    if (const auto error = archive.open(archivePath)) {
        fail(archivePath, "cannot read the archive back to split it: " + platform::describe(error));
        return std::nullopt;
    }
    return archive;
}

void ExtractionRun::splitArchive(const platform::InputFile& archive,
                                 const std::filesystem::path& archivePath) {
    std::int64_t length = 0;
    std::error_code error = archive.size(length);
    if (error) {
        fail(archivePath, "cannot read the archive back to split it: " + platform::describe(error));
        return;
    }

    std::array<std::byte, tar::kBlockSize> header{};
    std::int64_t offset = 0;
    while (offset < length && !stopRequested()) {
        const std::size_t got = archive.readAt(offset, header, error);
        if (error) {
            fail(archivePath, "read error " + atOffset(offset) + ": " + platform::describe(error));
            return;
        }
        const std::span<const std::byte> present{header.data(), got};
        if (tar::isZeroBlock(present)) {
            return;  // the end-of-archive blocks
        }
        if (got < tar::kBlockSize) {
            fail(archivePath, "the archive ends inside a member header " + atOffset(offset));
            return;
        }
        const std::string_view name = tar::memberName(header);
        const auto size = tar::memberSize(std::span<const std::byte, tar::kSizeFieldSize>(
            header.data() + tar::kSizeFieldOffset, tar::kSizeFieldSize));
        if (!size) {
            fail(archivePath, "member \"" + std::string(name) + "\" " + atOffset(offset) +
                                  " has a malformed size field; the rest of the archive was "
                                  "not split");
            return;
        }
        sortMember(archive, length, offset, name, *size, archivePath);
        const std::int64_t step = tar::stepToNextHeader(*size);
        if (step > length - offset) {
            return;
        }
        offset += step;
    }
}

void ExtractionRun::sortMember(const platform::InputFile& archive, std::int64_t archiveLength,
                               std::int64_t headerOffset, std::string_view memberName,
                               std::int64_t memberSize, const std::filesystem::path& archivePath) {
    const std::int64_t dataOffset = headerOffset + static_cast<std::int64_t>(tar::kBlockSize);
    std::array<std::byte, products::kDataPrefixSize> prefix{};
    std::size_t prefixLength = 0;
    if (dataOffset < archiveLength) {
        std::error_code error;
        prefixLength = archive.readAt(dataOffset, prefix, error);
        if (error) {
            fail(archivePath,
                 "read error " + atOffset(dataOffset) + ": " + platform::describe(error));
            return;
        }
    }
    const auto plan =
        products::planProduct({prefix.data(), prefixLength}, memberSize, askSelectedKinds());
    if (!plan) {
        return;
    }
    const products::KindInfo& kind = products::infoFor(plan->kind);
    const std::filesystem::path folder = state_.outputBase / kind.folder;
    const std::string name = withSuffix(memberName, kind.suffix);
    // The name is judged as the archive gives it: a suffix must not turn "dir/" into a file.
    MemberPath member = sanitizeMemberName(memberName);
    if (member.verdict == MemberPathVerdict::Ok) {
        member = sanitizeMemberName(name);
    }
    switch (member.verdict) {
        case MemberPathVerdict::Unsafe:
            fail(folder / name, "the member name of archive " + archivePath.filename().string() +
                                    " leads outside its folder; it was not written");
            return;
        case MemberPathVerdict::NoFileName:
            warn(archivePath, "the member " + atOffset(headerOffset) + " (\"" +
                                  std::string(memberName) + "\") names no file; it was skipped");
            return;
        case MemberPathVerdict::Ok:
            break;
    }
    std::filesystem::path target = folder;
    for (const std::string& component : member.components) {
        target /= component;
    }
    if (const auto error = ensureFolder(target.parent_path())) {
        fail(target, "cannot create the folder " + target.parent_path().string() + ": " +
                         platform::describe(error));
        return;
    }
    writeProduct(archive, archiveLength, dataOffset, *plan, target);
}

void ExtractionRun::writeProduct(const platform::InputFile& archive, std::int64_t archiveLength,
                                 std::int64_t dataOffset, const products::ProductPlan& plan,
                                 const std::filesystem::path& target) {
    platform::OutputFile out;
    if (const auto error = out.create(target)) {
        fail(target, "cannot create the file: " + platform::describe(error));
        return;
    }
    const std::int64_t from = dataOffset + plan.offset;
    const std::int64_t wanted = std::max<std::int64_t>(plan.count, 0);
    const std::int64_t present = std::clamp<std::int64_t>(archiveLength - from, 0, wanted);
    std::span<const std::byte> held;
    if (!copyProduct(archive, from, present, plan.bitReversed, out, held)) {
        out.discard();
        return;
    }
    if (const auto error = out.commit()) {
        fail(target, "cannot write the file: " + platform::describe(error));
        return;
    }
    countWritten(products::infoFor(plan.kind).counter, target);

    if (present < wanted) {
        warn(target, "the product runs " + std::to_string(wanted - present) +
                         " bytes past the end of the archive; it was written cut short");
        return;
    }
    switch (plan.endCheck) {
        case products::MessageEndCheck::AtEnd:
            checkMessageEnd(archive, from, from + wanted, held, target);
            break;
        case products::MessageEndCheck::FourBeforeEnd:
            checkMessageEnd(archive, from, from + wanted - 4, held, target);
            break;
        case products::MessageEndCheck::None:
            break;
    }
}

bool ExtractionRun::copyProduct(const platform::InputFile& archive, std::int64_t from,
                                std::int64_t count, bool bitReversed, platform::OutputFile& out,
                                std::span<const std::byte>& held) {
    const std::span<std::byte> buffer{copyBuffer_.get(), kCopyChunk};
    // A product that fits the buffer goes through it in one read and one write: for products of
    // tens of kilobytes that costs less than the kernel's copy, which splices page by page
    // through a pipe, and it leaves the product's last bytes at hand for the end check.
    const bool throughMemory = bitReversed || count <= static_cast<std::int64_t>(kCopyChunk);
    std::int64_t done = 0;
    while (done < count) {
        if (stopRequested()) {
            return false;
        }
        const std::int64_t chunk = std::min<std::int64_t>(count - done, kCopyChunk);
        std::error_code error;
        std::int64_t copied = 0;
        if (throughMemory) {
            const auto part = buffer.first(static_cast<std::size_t>(chunk));
            const std::size_t got = archive.readAt(from + done, part, error);
            if (!error) {
                if (bitReversed) {
                    reverseBitsInEachByte(part.first(got));
                } else {
                    held = part.first(got);
                }
                error = out.write(part.first(got));
                copied = static_cast<std::int64_t>(got);
            }
        } else {
            copied = platform::copyRange(archive, from + done, chunk, out, buffer, error);
        }
        if (error) {
            fail(out.path(), "cannot write the file: " + platform::describe(error));
            return false;
        }
        if (copied < chunk) {
            // The archive shrank under us: keep what was there, like any other cut product.
            return true;
        }
        done += copied;
    }
    return true;
}

void ExtractionRun::checkMessageEnd(const platform::InputFile& archive, std::int64_t messageStart,
                                    std::int64_t messageEnd, std::span<const std::byte> held,
                                    const std::filesystem::path& target) {
    std::array<char, products::kMessageEnd.size()> tail{};
    std::size_t got = 0;
    const auto endMarkerAt = messageEnd - static_cast<std::int64_t>(tail.size());
    if (endMarkerAt >= messageStart) {
        const auto heldAt = static_cast<std::size_t>(endMarkerAt - messageStart);
        if (heldAt <= held.size() && held.size() - heldAt >= tail.size()) {
            std::memcpy(tail.data(), held.data() + heldAt, tail.size());
            got = tail.size();
        } else {
            std::error_code error;
            got = archive.readAt(endMarkerAt, std::as_writable_bytes(std::span(tail)), error);
        }
    }
    if (got != tail.size() || std::string_view(tail.data(), tail.size()) != products::kMessageEnd) {
        warn(target, "the message does not end in \"7777\": it is damaged or cut short");
    }
}

}  // namespace veltrane
