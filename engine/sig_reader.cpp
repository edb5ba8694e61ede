// The record walk of a run: finds where each carried archive begins and ends and writes its
// payloads into "TAR Files".

#include <string>

#include "engine/extraction_run.h"
#include "engine/sig_format.h"
#include "engine/sig_record_reader.h"

namespace veltrane {
namespace {

std::string atOffset(std::int64_t offset) {
    return "at offset " + std::to_string(offset);
}

}  // namespace

void ExtractionRun::ExtractTarFiles() {
    state_.SigPosition = 0;
    state_.counters = RunCounters{};
    archive_ = ArchiveInProgress{};
    startSplitterThread();

    sig::RecordReader reader(state_.SigFile, kSigReadWindow);
    while (state_.SigPosition < state_.SigFileSize) {
        if (stopRequested()) {
            break;
        }
        // The archive's queued payloads lie in the reader's window: write them before it moves.
        if (reader.refillsFor(state_.SigPosition)) {
            state_.TarFile.flush();
        }
        std::error_code error;
        const auto record = reader.recordAt(state_.SigPosition, error);
        if (error) {
            fail(sigPath_,
                 "read error " + atOffset(state_.SigPosition) + ": " + platform::describe(error));
            break;
        }
        if (record.size() < sig::kLengthFieldSize) {
            // One stray byte, or a file that shrank while it was read: no record is left.
            if (!record.empty()) {
                warn(sigPath_, "the file ends with a stray byte " + atOffset(state_.SigPosition));
            } else {
                warn(sigPath_, "the file ended " + atOffset(state_.SigPosition) +
                                   ", before the length measured when the run started");
            }
            state_.SigPosition = state_.SigFileSize;
            UpdateProgress();
            break;
        }
        const std::uint32_t length = sig::recordLength(record);
        const std::size_t span = length + sig::kLengthFieldSize;
        if (record.size() < span) {
            warn(sigPath_, "the last record " + atOffset(state_.SigPosition) +
                               " is cut short: " + std::to_string(record.size()) + " of " +
                               std::to_string(span) + " bytes present");
        }
        handleRecord(sig::payloadOf(record, length), state_.SigPosition);
        state_.SigPosition += static_cast<std::int64_t>(span);
        UpdateProgress();
    }
    closeArchiveAtEndOfFile();
    if (handoff_) {
        finishSplitterThread();
        UpdateProgress();  // the counts of the last archives' products
    }
}

void ExtractionRun::handleRecord(std::span<const std::byte> payload, std::int64_t recordOffset) {
    if (!archive_.inside) {
        // An end record out here belongs to an archive whose header was lost or unusable. Its
        // marker holds a header marker, but opening an archive on it would swallow the next
        // header and the archive behind it.
        if (sig::startsWithEndMarker(payload)) {
            warn(sigPath_, "the end record " + atOffset(recordOffset) +
                               " closes no archive: its header was missing or unusable");
            return;
        }
        const auto header = sig::findArchiveHeader(payload);
        if (!header) {
            return;
        }
        if (header->name.empty()) {
            // Stay outside: the next header in the file still opens its archive.
            warn(sigPath_, "the archive header " + atOffset(recordOffset) +
                               " names no usable archive; it was skipped");
            return;
        }
        archive_ = ArchiveInProgress{};
        archive_.inside = true;
        archive_.name = header->name;
        archive_.path = state_.outputBase / products::kTarFolder / archive_.name;
        return;
    }
    if (sig::startsWithSkipMarker(payload)) {
        return;
    }
    if (sig::startsWithEndMarker(payload)) {
        finishArchive();
        return;
    }
    if (!archive_.hasData) {
        archive_.hasData = true;
        startArchiveFile();
    }
    if (state_.TarFile.isOpen()) {
        state_.TarFile.appendInPlace(payload);
    }
}

void ExtractionRun::startArchiveFile() {
    // The file is made afresh, replacing one an earlier run (or an earlier archive of the same
    // name) left behind, so the same SIG file always gives the same archives.
    if (const auto error = ensureFolder(archive_.path.parent_path())) {
        archive_.createFailed = true;
        fail(archive_.path, "cannot create the folder " + archive_.path.parent_path().string() +
                                ": " + platform::describe(error));
        return;
    }
    if (const auto error = state_.TarFile.create(archive_.path)) {
        archive_.createFailed = true;
        fail(archive_.path, "cannot create the archive: " + platform::describe(error));
    }
}

void ExtractionRun::finishArchive() {
    archive_.inside = false;
    if (!archive_.hasData) {
        warn(archive_.path, "the archive carried no data; nothing was written");
        return;
    }
    if (archive_.createFailed) {
        return;
    }
    if (const auto error = state_.TarFile.commit()) {
        fail(archive_.path, "cannot write the archive: " + platform::describe(error) +
                                "; it was removed and not split");
        return;
    }
    countWritten(Counter::Tar, archive_.path);
    auto archive = openForSplit(archive_.path);
    if (!archive) {
        return;
    }
    if (handoff_) {
        handoff_->put(FinishedArchive{std::move(*archive), archive_.path});
    } else {
        splitArchive(*archive, archive_.path);
    }
}

void ExtractionRun::closeArchiveAtEndOfFile() {
    if (!state_.TarFile.isOpen()) {
        // Announced, but the file ended before its first data record: nothing to keep, yet the
        // feed was cut inside it all the same.
        if (archive_.inside && !archive_.hasData && !stopSeen_.load()) {
            warn(archive_.path,
                 "the SIG file ends inside this archive, before any of its data; nothing was "
                 "written");
        }
        return;
    }
    if (stopSeen_.load()) {
        state_.TarFile.discard();
        return;
    }
    if (const auto error = state_.TarFile.commit()) {
        fail(archive_.path, "cannot write the archive: " + platform::describe(error));
        return;
    }
    warn(archive_.path, "the SIG file ends inside this archive; it was kept but not split");
}

}  // namespace veltrane
