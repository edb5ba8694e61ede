#include "platform/profile_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <new>
#include <span>

#include "platform/file_io.h"
#include "platform/folders.h"

namespace veltrane::platform {
namespace {

// A stray carriage return (a "\r\r\n" ending) counts as a blank, not as part of a value.
constexpr std::string_view kBlanks = " \t\r";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Profile files are read in pieces of this size, so a file that grows while it is read
// still stops at the cap.
constexpr std::size_t kReadChunk = 64 * 1024;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

enum class LineKind { blank, comment, section, key, other };

struct ParsedLine {
    LineKind kind = LineKind::other;
    std::string_view name;       // the section's or the key's name
    std::string_view value;      // the key's value
    std::size_t valueStart = 0;  // where the value begins in the line, blanks after '=' skipped
};

ParsedLine parseLine(std::string_view line) {
    ParsedLine parsed;
    const auto start = line.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) {
        parsed.kind = LineKind::blank;
        return parsed;
    }
    const char lead = line[start];
    if (lead == ';' || lead == '#') {
        parsed.kind = LineKind::comment;
        return parsed;
    }
    if (lead == '[') {
        const auto close = line.find(']', start);
        if (close != std::string_view::npos) {
            parsed.kind = LineKind::section;
            parsed.name = trimmed(line.substr(start + 1, close - start - 1));
        }
        return parsed;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return parsed;
    }
    parsed.name = trimmed(line.substr(0, equals));
    if (parsed.name.empty()) {
        return parsed;
    }
    parsed.kind = LineKind::key;
    const auto afterEquals = line.substr(equals + 1);
    const auto valueOffset = afterEquals.find_first_not_of(kBlanks);
    parsed.valueStart =
        equals + 1 + (valueOffset == std::string_view::npos ? afterEquals.size() : valueOffset);
    parsed.value = trimmed(afterEquals);
    if (parsed.value.size() >= 2 && parsed.value.front() == '"' && parsed.value.back() == '"') {
        parsed.value = parsed.value.substr(1, parsed.value.size() - 2);
    }
    return parsed;
}

bool holdsLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::error_code lastError() {
    return {errno, std::generic_category()};
}

std::error_code readWholeFile(const std::filesystem::path& file, std::string& bytes) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return {};
    }
    if (error) {
        return error;
    }
    if (status.type() == std::filesystem::file_type::directory) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    // A pipe or a device would block the program's start, or never end.
    if (status.type() != std::filesystem::file_type::regular) {
        return std::make_error_code(std::errc::invalid_argument);
    }

    InputFile input;
    error = input.open(file);
    if (error == std::errc::no_such_file_or_directory) {
        return {};  // removed since it was looked at
    }
    if (error) {
        return error;
    }
    std::int64_t size = 0;
    if ((error = input.size(size))) {
        return error;
    }
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxProfileFileBytes) {
        return std::make_error_code(std::errc::file_too_large);
    }
    for (;;) {
        const std::size_t before = bytes.size();
        bytes.resize(before + kReadChunk);
        const std::size_t got = input.readAt(
            static_cast<std::int64_t>(before),
            std::as_writable_bytes(std::span(bytes.data() + before, kReadChunk)), error);
        bytes.resize(before + got);
        if (error) {
            return error;
        }
        if (bytes.size() > kMaxProfileFileBytes) {
            return std::make_error_code(std::errc::file_too_large);
        }
        if (got < kReadChunk) {
            return {};
        }
    }
}

}  // namespace

ProfileDocument ProfileDocument::parse(std::string_view text) {
    ProfileDocument document;
    while (!text.empty()) {
        Line line;
        const auto lineFeed = text.find('\n');
        if (lineFeed == std::string_view::npos) {
            line.text = std::string(text);
            text = {};
        } else {
            auto piece = text.substr(0, lineFeed);
            if (piece.ends_with('\r')) {
                piece.remove_suffix(1);
                line.ending = "\r\n";
            } else {
                line.ending = "\n";
            }
            line.text = std::string(piece);
            text.remove_prefix(lineFeed + 1);
        }
        document.lines_.push_back(std::move(line));
    }
    if (!document.lines_.empty() && !document.lines_.front().ending.empty()) {
        document.newline_ = document.lines_.front().ending;
    }
    return document;
}

std::string_view ProfileDocument::content(std::size_t index) const {
    std::string_view text = lines_[index].text;
    if (index == 0 && text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    return text;
}

std::optional<std::string> ProfileDocument::value(std::string_view section,
                                                  std::string_view key) const {
    section = trimmed(section);
    key = trimmed(key);
    bool inSection = false;  // keys before the first header belong to no section
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const ParsedLine line = parseLine(content(i));
        if (line.kind == LineKind::section) {
            inSection = sameName(line.name, section);
        } else if (line.kind == LineKind::key && inSection && sameName(line.name, key)) {
            return std::string(line.value);
        }
    }
    return std::nullopt;
}

bool ProfileDocument::setValue(std::string_view section, std::string_view key,
                               std::string_view value) {
    section = trimmed(section);
    key = trimmed(key);
    if (section.empty() || key.empty() || holdsLineBreakOrNul(section) ||
        holdsLineBreakOrNul(key) || holdsLineBreakOrNul(value) ||
        section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
        key.front() == '[' || key.front() == ';' || key.front() == '#') {
        return false;
    }

    std::optional<std::size_t> firstHeader;
    std::optional<std::size_t> lastKeyOfFirst;
    bool inSection = false;
    bool inFirst = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view text = content(i);
        const ParsedLine line = parseLine(text);
        if (line.kind == LineKind::section) {
            inSection = sameName(line.name, section);
            inFirst = inSection && !firstHeader;
            if (inFirst) {
                firstHeader = i;
            }
        } else if (line.kind == LineKind::key && inSection) {
            if (sameName(line.name, key)) {
                const std::size_t prefix = lines_[i].text.size() - text.size() + line.valueStart;
                lines_[i].text.replace(prefix, std::string::npos, value);
                return true;
            }
            if (inFirst) {
                lastKeyOfFirst = i;
            }
        }
    }

    Line keyLine{std::string(key) + "=" + std::string(value), newline_};
    if (firstHeader) {
        // After the section's last key, so that blank lines and comments that lead into the
        // next section stay with it.
        const std::size_t after = lastKeyOfFirst ? *lastKeyOfFirst : *firstHeader;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after + 1), std::move(keyLine));
    } else {
        lines_.push_back({"[" + std::string(section) + "]", newline_});
        lines_.push_back(std::move(keyLine));
    }
    return true;
}

std::string ProfileDocument::text() const {
    std::string out;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.ending.empty() ? newline_ : line.ending;
    }
    return out;
}

std::error_code readProfileFile(const std::filesystem::path& file, ProfileDocument& into) {
    into = ProfileDocument{};
    try {
        std::string bytes;
        if (const auto error = readWholeFile(file, bytes)) {
            return error;
        }
        into = ProfileDocument::parse(bytes);
        return {};
    } catch (const std::bad_alloc&) {
        into = ProfileDocument{};
        return std::make_error_code(std::errc::not_enough_memory);
    }
}

std::error_code writeProfileFile(const std::filesystem::path& file,
                                 const ProfileDocument& document) {
    try {
        if (const auto folder = file.parent_path(); !folder.empty()) {
            if (const auto error = makeFolders(folder)) {
                return error;
            }
        }
        const std::string text = document.text();
        OutputFile output;
        if (const auto error = output.create(file)) {
            return error;
        }
        if (const auto error = output.write(std::as_bytes(std::span(text.data(), text.size())))) {
            return error;  // the temporary file goes with `output`
        }
        // On disk before the rename, or a power cut could leave an empty file under the name.
        if (::fsync(output.descriptor()) != 0) {
            return lastError();
        }
        return output.commit();
    } catch (const std::bad_alloc&) {
        return std::make_error_code(std::errc::not_enough_memory);
    }
}

std::optional<int> parseProfileInt(std::string_view text) {
    text = trimmed(text);
    // from_chars takes a '-' but no '+'; one sign at most.
    const bool plus = text.starts_with('+');
    const std::string_view number = plus ? text.substr(1) : text;
    const std::string_view digits = !plus && number.starts_with('-') ? number.substr(1) : number;
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int result = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), result);
    if (error != std::errc{} || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return result;
}

}  // namespace veltrane::platform
