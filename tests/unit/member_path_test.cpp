#include "engine/member_path.h"

#include <gtest/gtest.h>

namespace veltrane {
namespace {

struct NameCase {
    std::string name;
    MemberPathVerdict verdict;
    std::vector<std::string> components;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << '"' << c.name << '"';
}

class SanitizeMemberName : public testing::TestWithParam<NameCase> {};

TEST_P(SanitizeMemberName, KeepsEveryPathInsideItsFolder) {
    const NameCase& c = GetParam();
    const MemberPath path = sanitizeMemberName(c.name);
    EXPECT_EQ(path.verdict, c.verdict) << c.name;
    EXPECT_EQ(path.components, c.components) << c.name;
}

using V = MemberPathVerdict;
INSTANTIATE_TEST_SUITE_P(
    Names, SanitizeMemberName,
    testing::Values(NameCase{"a.grb", V::Ok, {"a.grb"}},
                    NameCase{"dir/sub/a.grb", V::Ok, {"dir", "sub", "a.grb"}},
                    NameCase{"dir\\a.grb", V::Ok, {"dir", "a.grb"}},
                    NameCase{"./dir//./a", V::Ok, {"dir", "a"}},
                    NameCase{"/etc/passwd", V::Ok, {"etc", "passwd"}},
                    NameCase{"\\\\server\\share\\x", V::Ok, {"server", "share", "x"}},
                    NameCase{"a..b", V::Ok, {"a..b"}}, NameCase{"...", V::Ok, {"..."}},
                    NameCase{"name\x01\x7f", V::Ok, {"name\x01\x7f"}},
                    NameCase{"ab:c", V::Ok, {"ab:c"}}, NameCase{"x:y", V::Unsafe, {}},
                    NameCase{"..", V::Unsafe, {}}, NameCase{"../x", V::Unsafe, {}},
                    NameCase{"a/../../x", V::Unsafe, {}}, NameCase{"a\\..\\x", V::Unsafe, {}},
                    NameCase{"C:x", V::Unsafe, {}}, NameCase{"c:\\windows\\x", V::Unsafe, {}},
                    NameCase{"", V::NoFileName, {}}, NameCase{"dir/", V::NoFileName, {}},
                    NameCase{"dir\\", V::NoFileName, {}}, NameCase{".", V::NoFileName, {}},
                    NameCase{"./.", V::NoFileName, {}}));

TEST(WithSuffix, AppendsOnlyWhenTheNameLacksItAnywhere) {
    EXPECT_EQ(withSuffix("a", ".grb"), "a.grb");
    EXPECT_EQ(withSuffix("a.grb.gz", ".grb"), "a.grb.gz");
    EXPECT_EQ(withSuffix("a.GRB", ".grb"), "a.GRB.grb");
    EXPECT_EQ(withSuffix("a", ""), "a");
    EXPECT_EQ(withSuffix("dir/", ".grb"), "dir/.grb");
}

}  // namespace
}  // namespace veltrane
