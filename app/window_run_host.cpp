#include "app/window_run_host.h"

#include <QMetaObject>
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

WindowRunHost::WindowRunHost(QObject* receiver, ShowProgress show)
    : receiver_(receiver), show_(std::move(show)), kinds_(bitsOf(KindSelection::defaults())) {}

void WindowRunHost::prepareRun(std::filesystem::path sigFile) {
    sigFile_ = std::move(sigFile);
    lastHandedOver_.reset();
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
    if (!handOffEveryRecord && lastHandedOver_ == snapshot) {
        return;
    }
    std::uint64_t ticket = 0;
    {
        const std::lock_guard lock(mutex_);
        if (closing_ || !receiver_) {
            return;
        }
        ticket = ++handedOver_;
    }
    lastHandedOver_ = snapshot;
    // The call belongs to the receiver: if the window is gone before it runs, it is dropped.
    QMetaObject::invokeMethod(
        receiver_,
        [this, snapshot, ticket] {
            show_(snapshot);
            {
                const std::lock_guard lock(mutex_);
                done_ = std::max(done_, ticket);
            }
            shown_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    shown_.wait(lock, [&] { return done_ >= ticket || closing_; });
}

}  // namespace veltrane::app
