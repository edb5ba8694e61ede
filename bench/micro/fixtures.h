#pragma once
// Input files the micro-benchmarks share: written once per process into a scratch folder, so
// every iteration reads them from the page cache, and removed at exit.

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace veltrane::bench {

// The two record shapes bench/run.sh measures: payloads near 64 KiB, and of 1-2 KiB.
enum class RecordShape { Large, Small };

// A SIG file of about `bytes` with the realistic product mix, in the given shape.
const std::filesystem::path& sigFixture(RecordShape shape, std::uint64_t bytes);

// One archive of `members` members of every kind, as the record walk would reassemble it.
const std::filesystem::path& archiveFixture(std::size_t members);

// An empty folder for one benchmark's output, under the scratch folder.
std::filesystem::path outputFolder(const char* name);

// Empties an output folder between iterations the way bench/clear-output.sh does, without
// deleting a file: every file is cut to zero length (its pages are freed at once) and the folder
// moves into a trash folder that goes at exit. A pass that replaced the last pass's files would
// time ext4 flushing a replaced file on rename; one right after deleting them would time the
// scan past recently deleted inodes.
void clearOutput(const std::filesystem::path& folder);

}  // namespace veltrane::bench
