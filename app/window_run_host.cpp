#include "app/window_run_host.h"

#include <algorithm>
#include <utility>

namespace veltrane::app {

namespace {

unsigned bitsOf(const KindSelection& kinds) {
    unsigned bits = 0;
    for (std::size_t kind = 0; kind < kProductKindCount; ++kind) {
        if (kinds.contains(static_cast<ProductKind>(kind))) {
            bits |= 1u << kind;
        }
    }
    return bits;
}

}  // namespace

WindowRunHost::WindowRunHost(PostToWindow post, ShowProgress show)
    : post_(std::move(post)), show_(std::move(show)), kinds_(bitsOf(KindSelection::defaults())) {}

void WindowRunHost::prepareRun(std::filesystem::path sigFile) {
    sigFile_ = std::move(sigFile);
    lastHandedOver_.reset();
    const std::lock_guard lock(mutex_);
    closing_ = false;
}

void WindowRunHost::setKindSelected(ProductKind kind, bool selected) {
    const unsigned bit = 1u << static_cast<unsigned>(kind);
    if (selected) {
        kinds_.fetch_or(bit, std::memory_order_relaxed);
    } else {
        kinds_.fetch_and(~bit, std::memory_order_relaxed);
    }
}

void WindowRunHost::shutDown() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    shown_.notify_all();
}

std::filesystem::path WindowRunHost::sigFilePath() {
    return sigFile_;
}

KindSelection WindowRunHost::selectedKinds() {
    const unsigned bits = kinds_.load(std::memory_order_relaxed);
    KindSelection kinds;
    for (std::size_t kind = 0; kind < kProductKindCount; ++kind) {
        kinds.set(static_cast<ProductKind>(kind), (bits >> kind) & 1u);
    }
    return kinds;
}

void WindowRunHost::showProgress(const RunProgress& progress) {
    const ProgressSnapshot snapshot = ProgressSnapshot::of(progress);
    if (!handOffEveryRecord && lastHandedOver_ && snapshot.percent == lastHandedOver_->percent) {
        // Counters alone are shown at most every kCounterRefresh; the clock is read only when
        // they changed.
        if (snapshot.counters == lastHandedOver_->counters ||
            std::chrono::steady_clock::now() - lastHandOffTime_ < kCounterRefresh) {
            return;
        }
    }
    std::uint64_t ticket = 0;
    {
        const std::lock_guard lock(mutex_);
        if (closing_) {
            return;
        }
        ticket = ++handedOver_;
    }
    lastHandedOver_ = snapshot;
    lastHandOffTime_ = std::chrono::steady_clock::now();
    // Calls still queued when the host goes away must be dropped: Qt does so for calls bound to
    // the window that owns the host.
    post_([this, snapshot, ticket] {
        show_(snapshot);
        // Notified under the lock: once the run sees the call done it may end, and its owner
        // may destroy this host, so nothing here touches the host after the lock is released.
        const std::lock_guard lock(mutex_);
        done_ = std::max(done_, ticket);
        shown_.notify_all();
    });
    std::unique_lock lock(mutex_);
    shown_.wait(lock, [&] { return done_ >= ticket || closing_; });
}

}  // namespace veltrane::app
