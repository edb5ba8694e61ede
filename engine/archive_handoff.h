#pragma once
// Passes finished archives from the record walk to the thread that splits them. One archive
// waits at most: while it waits, the walk waits too, so a slow disk never lets finished
// archives pile up, and the split sees them in the order the SIG file carried them.

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>

#include "platform/file_io.h"

namespace veltrane {

struct FinishedArchive {
    // Opened by the walk as it finished the file, so that a later archive of the same name,
    // which replaces the file, cannot change what this one's split reads.
    platform::InputFile file;
    std::filesystem::path path;
};

class ArchiveHandoff {
  public:
    // Waits until the previous archive has been taken, then leaves this one.
    void put(FinishedArchive archive);

    // Waits for the next archive; nothing once close() was called and none is left.
    std::optional<FinishedArchive> take();

    // No archive will follow; take() drains what is left and then returns nothing.
    void close();

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<FinishedArchive> waiting_;
    bool closed_ = false;
};

}  // namespace veltrane
