#include "engine/archive_handoff.h"

#include <utility>

namespace veltrane {

void ArchiveHandoff::put(FinishedArchive archive) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !waiting_.has_value(); });
    waiting_ = std::move(archive);
    changed_.notify_all();
}

std::optional<FinishedArchive> ArchiveHandoff::take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.has_value() || closed_; });
    std::optional<FinishedArchive> taken = std::exchange(waiting_, std::nullopt);
    changed_.notify_all();
    return taken;
}

void ArchiveHandoff::close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

}  // namespace veltrane
