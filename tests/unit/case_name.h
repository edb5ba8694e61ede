#pragma once
// Readable names for rows of parameterised tests: "stray .tar in front" -> stray__tar_in_front.

#include <cctype>
#include <string>
#include <string_view>

namespace veltrane::testing_support {

inline std::string caseName(std::string_view what) {
    std::string name;
    for (const char c : what) {
        name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
    }
    return name;
}

// For INSTANTIATE_TEST_SUITE_P with rows that carry a `what` field.
struct NameFromWhat {
    template <class Info>
    std::string operator()(const Info& info) const {
        return caseName(info.param.what);
    }
};

}  // namespace veltrane::testing_support
