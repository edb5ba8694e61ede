#pragma once
// INI ("private profile") files: sections of key=value lines. A document is kept as the lines
// it was read from, so that writing one key back leaves everything else in the file (other
// sections and keys, comments, blank lines, lines it does not understand) byte for byte as the
// user or another program left it.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace veltrane::platform {

// Largest profile file read. Settings files are a few hundred bytes; anything this big is not
// one, and is neither loaded into memory nor overwritten.
inline constexpr std::size_t kMaxProfileFileBytes = std::size_t{1} << 20;

// How lines are understood:
// - "[name]" opens a section; text after the closing bracket is ignored. A line that starts
//   with '[' but has no closing bracket is not a header.
// - "key=value" splits at the first '='; both sides are trimmed of blanks (spaces and tabs),
//   and one pair of double quotes around the value is removed.
// - Lines starting with ';' or '#' are comments; blank lines are blank.
// - Anything else, and keys that come before the first header, belong to no section: they are
//   kept as they are and never found.
// Section and key names compare case-insensitively (ASCII). A section named twice continues
// where it left off; the first of duplicate keys wins.
//
// Line endings: each line keeps its own ("\n" or "\r\n"); lines added by setValue take the
// ending of the document's first line (or "\n"), and a last line without an ending gets that
// one when the document is written. A UTF-8 byte order mark at the start is kept as it is.
class ProfileDocument {
  public:
    static ProfileDocument parse(std::string_view text);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Replaces the value of the key where value() finds it, keeping the key's spelling and the
    // blanks before the value; or adds the key after the last key of the section's first
    // header; or adds the section at the end of the document. Every other line is kept byte
    // for byte. Names are trimmed of blanks. Returns false, changing nothing, when the names
    // or the value cannot be written as one line that reads back the same way: an empty
    // section or key, a line break or NUL anywhere, '=' in the key or a key starting with
    // '[', ';' or '#', or ']' in the section.
    bool setValue(std::string_view section, std::string_view key, std::string_view value);

    // The document as it would be written.
    std::string text() const;

    bool empty() const { return lines_.empty(); }

  private:
    struct Line {
        std::string text;    // without its line ending
        std::string ending;  // "\n", "\r\n", or empty for a last line that had none
    };

    std::string_view content(std::size_t index) const;

    std::vector<Line> lines_;
    std::string newline_ = "\n";
};

// Missing file: an empty document and no error. A file that cannot be read, or is a folder, or
// is not a regular file, or is larger than kMaxProfileFileBytes: an empty document and the
// error. Never throws.
std::error_code readProfileFile(const std::filesystem::path& file, ProfileDocument& into);

// Writes the whole document under a temporary name beside the file and renames it over the
// file only once it is complete and on disk, so that a crash or a full disk never leaves half a
// file; the folder is made when missing. Never throws; returns the error, in which case the
// file is as it was.
std::error_code writeProfileFile(const std::filesystem::path& file,
                                 const ProfileDocument& document);

// A decimal integer with an optional sign and surrounding blanks; anything else (empty,
// "12abc", "0x10", out of int range) is nullopt.
std::optional<int> parseProfileInt(std::string_view text);

}  // namespace veltrane::platform
