// The command line's summary and problem list, as a user reads them on a terminal.

#include "cli/report_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace veltrane::cli {
namespace {

std::string printed(const std::function<void(std::FILE*)>& print) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    print(out);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

RunReport reportWithUnlistedProblems() {
    RunReport report;
    report.sigPath = "feed.sig";
    report.failures.push_back({"GRIB Files/x.grb", "cannot create the file: No space"});
    report.failuresNotListed = 7;
    report.warnings.push_back({"feed.sig", "the end record at offset 9 closes no archive"});
    report.warningsNotListed = 1200;
    return report;
}

TEST(ReportText, SummaryCountsProblemsBeyondTheList) {
    const RunReport report = reportWithUnlistedProblems();
    EXPECT_NE(printed([&](std::FILE* out) {
                  printSummary(out, {report, report});
              }).find("16 failure(s), 2402 warning(s)\n"),
              std::string::npos);
}

TEST(ReportText, ProblemListSaysHowManyWereLeftOut) {
    const RunReport report = reportWithUnlistedProblems();
    EXPECT_EQ(printed([&](std::FILE* out) { printProblems(out, report, true); }),
              "veltrane-extract: failed: GRIB Files/x.grb: cannot create the file: No space\n"
              "veltrane-extract: failed: feed.sig: 7 more failure(s) not listed\n"
              "veltrane-extract: warning: feed.sig: the end record at offset 9 closes no archive\n"
              "veltrane-extract: warning: feed.sig: 1200 more warning(s) not listed\n");
    EXPECT_EQ(printed([&](std::FILE* out) { printProblems(out, report, false); }),
              "veltrane-extract: failed: GRIB Files/x.grb: cannot create the file: No space\n"
              "veltrane-extract: failed: feed.sig: 7 more failure(s) not listed\n");
}

}  // namespace
}  // namespace veltrane::cli
