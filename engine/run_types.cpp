#include "engine/run_types.h"

#include <algorithm>

namespace veltrane {

std::string_view counterName(Counter counter) {
    switch (counter) {
        case Counter::Tar:
            return "tar";
        case Counter::Grib:
            return "grib";
        case Counter::Bufr:
            return "bufr";
        case Counter::Png:
            return "png";
        case Counter::Fax:
            return "fax";
        case Counter::Imag:
            return "imag";
        case Counter::Ascii:
            return "ascii";
    }
    return "?";
}

RunCounters& RunCounters::operator+=(const RunCounters& other) {
    for (std::size_t i = 0; i < kCounterCount; ++i) {
        values[i] += other.values[i];
    }
    return *this;
}

KindSelection KindSelection::all() {
    KindSelection selection;
    selection.bits_.set();
    return selection;
}

KindSelection KindSelection::defaults() {
    return all().set(ProductKind::Ascii, false);
}

int gaugePercent(std::int64_t position, std::int64_t size) {
    if (size <= 0) {
        return 0;
    }
    // position * 100 fits easily: positions are file offsets well below 2^56.
    const std::int64_t percent = position * 100 / size;
    return static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100));
}

}  // namespace veltrane
