#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace veltrane::testdata {

inline constexpr std::size_t kTarBlockSize = 512;
inline constexpr std::size_t kTarNameFieldSize = 100;
inline constexpr std::size_t kTarSizeFieldSize = 12;
// Largest size the 11 octal digits of a ustar size field can hold (8 GiB - 1).
inline constexpr std::uint64_t kTarMaxOctalSize = 077777777777ULL;
// 2024-12-11 12:00:00 UTC: fixed so archives are reproducible, and well in the past because
// GNU tar warns about members "in the future" on extraction.
inline constexpr std::uint64_t kDefaultTarMtime = 1733918400ULL;

// Header fields of one member, with room for values no careful writer would produce.
struct TarEntry {
    explicit TarEntry(std::string entryName) : name(std::move(entryName)) {}

    // Bytes of the 100-byte name field; shorter names are NUL-padded, a 100-byte name has no NUL.
    std::string name;
    std::uint64_t mtime = kDefaultTarMtime;
    char typeflag = '0';
    // If set, exactly 12 bytes stored verbatim in place of the octal size of the data.
    std::optional<std::string> sizeField;
};

// The GNU base-256 form of a size field: high bit set in the first byte, big-endian value after.
std::string base256SizeField(std::uint64_t size);

// Builds a POSIX ustar archive in memory that GNU tar and bsdtar accept without warnings when
// only addFile() and finish() are used; the other members exist to build broken archives.
class TarWriter {
  public:
    // A regular file; throws std::invalid_argument for an empty name, a name longer than 100
    // bytes or holding NUL, or data too large for the octal size field.
    void addFile(std::string_view name, std::string_view data,
                 std::uint64_t mtime = kDefaultTarMtime);
    // A member with any header fields; data follows as given, padded to a whole block.
    // Throws std::invalid_argument if the name or size field does not fit its field.
    void addMember(const TarEntry& entry, std::string_view data);
    // A header declaring `declaredSize` bytes followed by only `presentData`: the archive is cut
    // short here, so nothing can be added after it.
    void addTruncatedMember(const TarEntry& entry, std::uint64_t declaredSize,
                            std::string_view presentData);
    // The two zero blocks that end an archive; skip it to build an archive without them.
    void finish();

    void reserve(std::size_t bytes) { archive_.reserve(bytes); }
    const std::string& bytes() const { return archive_; }
    // Hands the archive over and starts a new empty one.
    std::string release();
    // Starts a new empty archive, keeping the allocated memory for the next one.
    void reset() {
        archive_.clear();
        closed_ = false;
    }

    // The 512-byte header for `entry` declaring `size` (unless entry.sizeField overrides it).
    static std::string headerBlock(const TarEntry& entry, std::uint64_t size);

  private:
    void requireOpen() const;

    std::string archive_;
    bool closed_ = false;
};

}  // namespace veltrane::testdata
