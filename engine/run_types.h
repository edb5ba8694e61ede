#pragma once
// Values a run shares with its front ends: what it counts, what it reports, and its progress.

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

// The seven counters, in the order the run keeps them.
enum class Counter { Tar, Grib, Bufr, Png, Fax, Imag, Ascii };
inline constexpr std::size_t kCounterCount = 7;
inline constexpr std::array<Counter, kCounterCount> kAllCounters = {
    Counter::Tar, Counter::Grib, Counter::Bufr, Counter::Png,
    Counter::Fax, Counter::Imag, Counter::Ascii};

// Lower-case name used on the command line and in reports: "tar", "grib", ...
std::string_view counterName(Counter counter);

// Files written in one run, one counter per kind.
struct RunCounters {
    std::array<std::int64_t, kCounterCount> values{};

    std::int64_t& operator[](Counter counter) { return values[static_cast<std::size_t>(counter)]; }
    std::int64_t operator[](Counter counter) const {
        return values[static_cast<std::size_t>(counter)];
    }
    RunCounters& operator+=(const RunCounters& other);
    bool operator==(const RunCounters&) const = default;
};

// Product kinds in the order a member's signature is tested.
enum class ProductKind { Grib, Bufr, Imag, Png, Fax, Ascii };
inline constexpr std::size_t kProductKindCount = 6;

// Which product kinds the user chose.
class KindSelection {
  public:
    KindSelection() = default;
    static KindSelection all();
    // What the main window starts with: every kind except ASCII.
    static KindSelection defaults();

    bool contains(ProductKind kind) const { return bits_.test(static_cast<std::size_t>(kind)); }
    KindSelection& set(ProductKind kind, bool on = true) {
        bits_.set(static_cast<std::size_t>(kind), on);
        return *this;
    }
    bool operator==(const KindSelection&) const = default;

  private:
    std::bitset<kProductKindCount> bits_;
};

// One file or input that did not come out as it should.
struct Problem {
    std::string path;
    std::string reason;
};

// A report lists at most this many failures, and as many warnings; the rest are only counted.
// A file built to provoke a warning in every record would otherwise make the report, and the
// memory of the run, grow with the file.
inline constexpr std::size_t kProblemListLimit = 1000;

// Everything a finished (or stopped) run has to tell.
struct RunReport {
    std::string sigPath;
    std::int64_t bytesRead = 0;
    RunCounters counts;
    std::vector<Problem> failures;       // something that should have been written was not
    std::vector<Problem> warnings;       // written, but damaged or incomplete input
    std::int64_t failuresNotListed = 0;  // beyond kProblemListLimit
    std::int64_t warningsNotListed = 0;
    bool stopped = false;  // the front end asked the run to stop before the end

    std::int64_t failureCount() const {
        return static_cast<std::int64_t>(failures.size()) + failuresNotListed;
    }
    std::int64_t warningCount() const {
        return static_cast<std::int64_t>(warnings.size()) + warningsNotListed;
    }
};

// Share of the SIG file consumed, 0 to 100; the product is formed in 64 bits, and a position
// past the end (a last record cut short) shows 100.
int gaugePercent(std::int64_t position, std::int64_t size);

}  // namespace veltrane
