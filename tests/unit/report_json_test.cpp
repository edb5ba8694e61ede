#include "cli/report_json.h"

#include <gtest/gtest.h>

#include "cli/kind_list.h"

namespace veltrane::cli {
namespace {

TEST(JsonString, EscapesWhatUntrustedNamesMayHold) {
    EXPECT_EQ(jsonString("plain.grb"), "\"plain.grb\"");
    EXPECT_EQ(jsonString("q\"b\\"), "\"q\\\"b\\\\\"");
    EXPECT_EQ(jsonString("a\nb\x01\x7f"), "\"a\\u000ab\\u0001\\u007f\"");
    EXPECT_EQ(jsonString("caf\xc3\xa9"), "\"caf\xc3\xa9\"");             // valid UTF-8 passes
    EXPECT_EQ(jsonString("x\xe9y"), "\"x\\u00e9y\"");                    // a Latin-1 byte
    EXPECT_EQ(jsonString("\xc3"), "\"\\u00c3\"");                        // a cut sequence
    EXPECT_EQ(jsonString("\xed\xa0\x80"), "\"\\u00ed\\u00a0\\u0080\"");  // a surrogate
}

TEST(ReportsToJson, HasTheDocumentedShape) {
    RunReport report;
    report.sigPath = "in.sig";
    report.bytesRead = 42;
    report.counts[Counter::Tar] = 1;
    report.counts[Counter::Grib] = 3;
    report.failures.push_back({"GRIB Files/x.grb", "cannot create the file: No space"});
    const std::string json = reportsToJson({report, report});
    EXPECT_TRUE(json.starts_with(
        "{\"runs\": [{\"sig\": \"in.sig\", \"bytes\": 42, \"counts\": {\"tar\": 1, \"grib\": 3, "))
        << json;
    EXPECT_NE(json.find("\"failures\": [{\"path\": \"GRIB Files/x.grb\", \"reason\": "),
              std::string::npos);
    EXPECT_NE(json.find("\"failures_not_listed\": 0, \"warnings_not_listed\": 0, \"stopped\": "
                        "false}"),
              std::string::npos)
        << json;
    EXPECT_NE(
        json.find("\"totals\": {\"tar\": 2, \"grib\": 6, \"bufr\": 0, \"png\": 0, \"fax\": 0, "
                  "\"imag\": 0, \"ascii\": 0}}"),
        std::string::npos);
}

TEST(ParseKindList, AcceptsKnownWordsAndAll) {
    std::string problem;
    EXPECT_EQ(parseKindList("grib,ascii", problem),
              KindSelection{}.set(ProductKind::Grib).set(ProductKind::Ascii));
    EXPECT_EQ(parseKindList("all", problem), KindSelection::all());
    EXPECT_FALSE(parseKindList("grib,tiff", problem));
    EXPECT_NE(problem.find("tiff"), std::string::npos);
    EXPECT_FALSE(parseKindList("grib,", problem));
    EXPECT_FALSE(parseKindList("", problem));
}

}  // namespace
}  // namespace veltrane::cli
