#include "cli/report_text.h"

namespace veltrane::cli {
namespace {

void printCounts(std::FILE* out, const RunCounters& counts) {
    for (const Counter counter : kAllCounters) {
        std::fprintf(out, "  %s %lld", counterName(counter).data(),
                     static_cast<long long>(counts[counter]));
    }
    std::fputc('\n', out);
}

}  // namespace

void printSummary(std::FILE* out, const std::vector<RunReport>& reports) {
    RunCounters totals;
    std::int64_t failures = 0;
    std::int64_t warnings = 0;
    for (const RunReport& report : reports) {
        totals += report.counts;
        failures += report.failureCount();
        warnings += report.warningCount();
    }
    if (reports.size() > 1) {
        for (const RunReport& report : reports) {
            std::fprintf(out, "%s:", report.sigPath.c_str());
            printCounts(out, report.counts);
        }
    }
    std::fputs("written:", out);
    printCounts(out, totals);
    std::fprintf(out, "%lld failure(s), %lld warning(s)\n", static_cast<long long>(failures),
                 static_cast<long long>(warnings));
}

void printProblems(std::FILE* out, const RunReport& report, bool includeWarnings) {
    for (const Problem& problem : report.failures) {
        std::fprintf(out, "veltrane-extract: failed: %s: %s\n", problem.path.c_str(),
                     problem.reason.c_str());
    }
    if (report.failuresNotListed > 0) {
        std::fprintf(out, "veltrane-extract: failed: %s: %lld more failure(s) not listed\n",
                     report.sigPath.c_str(), static_cast<long long>(report.failuresNotListed));
    }
    if (includeWarnings) {
        for (const Problem& problem : report.warnings) {
            std::fprintf(out, "veltrane-extract: warning: %s: %s\n", problem.path.c_str(),
                         problem.reason.c_str());
        }
        if (report.warningsNotListed > 0) {
            std::fprintf(out, "veltrane-extract: warning: %s: %lld more warning(s) not listed\n",
                         report.sigPath.c_str(), static_cast<long long>(report.warningsNotListed));
        }
    }
}

}  // namespace veltrane::cli
