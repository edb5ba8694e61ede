#pragma once
// Turns a TAR member name into a path inside a product folder, or refuses it. A pure function:
// no file system involved.

#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

enum class MemberPathVerdict {
    Ok,          // components name a file inside the folder
    Unsafe,      // ".." or a drive prefix: writing it could leave the folder
    NoFileName,  // empty, or ends in a separator: there is no file to write
};

struct MemberPath {
    MemberPathVerdict verdict = MemberPathVerdict::NoFileName;
    std::vector<std::string> components;  // folders, then the file name; only when Ok
};

// '/' and '\' both separate folders; empty and "." components are dropped.
MemberPath sanitizeMemberName(std::string_view name);

// Appends suffix unless the name holds it anywhere already (compared case-sensitively).
std::string withSuffix(std::string_view name, std::string_view suffix);

}  // namespace veltrane
