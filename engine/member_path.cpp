#include "engine/member_path.h"

#include <cctype>

namespace veltrane {
namespace {

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

bool hasDrivePrefix(std::string_view name) {
    return name.size() >= 2 && name[1] == ':' &&
           std::isalpha(static_cast<unsigned char>(name[0])) != 0;
}

}  // namespace

MemberPath sanitizeMemberName(std::string_view name) {
    if (hasDrivePrefix(name)) {
        return {MemberPathVerdict::Unsafe, {}};
    }
    if (name.empty() || isSeparator(name.back())) {
        return {MemberPathVerdict::NoFileName, {}};
    }
    MemberPath result{MemberPathVerdict::Ok, {}};
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !isSeparator(name[end])) {
            ++end;
        }
        const std::string_view component = name.substr(start, end - start);
        if (component == "..") {
            return {MemberPathVerdict::Unsafe, {}};
        }
        if (!component.empty() && component != ".") {
            result.components.emplace_back(component);
        }
        start = end + 1;
    }
    if (result.components.empty()) {
        return {MemberPathVerdict::NoFileName, {}};
    }
    return result;
}

std::string withSuffix(std::string_view name, std::string_view suffix) {
    std::string result{name};
    if (!suffix.empty() && name.find(suffix) == std::string_view::npos) {
        result += suffix;
    }
    return result;
}

}  // namespace veltrane
