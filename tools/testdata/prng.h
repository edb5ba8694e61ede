#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrane::testdata {

// Fast deterministic generator (xoshiro256** seeded through splitmix64): the same seed gives the
// same sequence on every platform, which keeps generated files reproducible byte for byte.
class Prng {
  public:
    explicit Prng(std::uint64_t seed) {
        for (auto& word : state_) {
            seed += 0x9E3779B97F4A7C15ULL;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            word = z ^ (z >> 31);
        }
    }

    std::uint64_t next() {
        const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotl(state_[3], 45);
        return result;
    }

    // Uniform in [0, bound); bound 0 yields 0. The modulo bias is irrelevant for test data.
    std::uint64_t below(std::uint64_t bound) { return bound == 0 ? 0 : next() % bound; }

    // Uniform in [low, high]; callers pass low <= high.
    std::uint64_t between(std::uint64_t low, std::uint64_t high) {
        const std::uint64_t span = high - low;
        return span == UINT64_MAX ? next() : low + below(span + 1);
    }

    // True with probability numerator / denominator.
    bool chance(std::uint64_t numerator, std::uint64_t denominator) {
        return below(denominator) < numerator;
    }

    // Bytes are taken least significant first so the output does not depend on host byte order.
    void fill(char* out, std::size_t count) {
        std::uint64_t word = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (i % 8 == 0) {
                word = next();
            }
            out[i] = static_cast<char>(word & 0xFF);
            word >>= 8;
        }
    }

  private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::uint64_t state_[4]{};
};

}  // namespace veltrane::testdata
