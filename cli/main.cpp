// veltrane-extract: the extraction engine for automated ingest, one run per SIG file.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/kind_list.h"
#include "cli/progress_meter.h"
#include "cli/report_json.h"
#include "cli/report_text.h"
#include "cli/stop_on_signal.h"
#include "engine/extraction_run.h"
#include "platform/file_io.h"
#include "platform/folders.h"

namespace {

using namespace veltrane;

constexpr int kExitOk = 0;
constexpr int kExitFailures = 1;
constexpr int kExitUsage = 2;
// A run stopped by a signal ends with 128 + its number, as the shell reports a death by it.
constexpr int kExitSignalBase = 128;

struct Options {
    std::vector<std::string> sigFiles;
    std::string output = ".";
    std::string kinds = "grib,bufr,png,imag,fax";
    bool json = false;
    bool quiet = false;
    bool verbose = false;
};

class CommandLineHost final : public RunHost {
  public:
    CommandLineHost(std::filesystem::path sig, KindSelection kinds, cli::ProgressMeter* meter,
                    std::FILE* fileList)
        : sig_(std::move(sig)), kinds_(kinds), meter_(meter), fileList_(fileList) {}

    std::filesystem::path sigFilePath() override { return sig_; }
    KindSelection selectedKinds() override { return kinds_; }
    void showProgress(const RunProgress& progress) override {
        if (meter_ != nullptr) {
            meter_->update(progress);
        }
    }
    void fileWritten(Counter, const std::filesystem::path& path) override {
        if (fileList_ != nullptr) {
            if (meter_ != nullptr) {
                meter_->clear();
            }
            std::fprintf(fileList_, "%s\n", path.c_str());
        }
    }

  private:
    std::filesystem::path sig_;
    KindSelection kinds_;
    cli::ProgressMeter* meter_;
    std::FILE* fileList_;
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "veltrane-extract: %s\n", message.c_str());
    return kExitUsage;
}

// Everything that makes the whole command pointless is checked before anything is written.
std::optional<int> checkInputs(const Options& options) {
    for (const std::string& sig : options.sigFiles) {
        platform::InputFile probe;
        if (const auto error = probe.open(sig)) {
            return usageError("cannot read SIG file " + sig + ": " + platform::describe(error));
        }
    }
    std::error_code error;
    if (std::filesystem::exists(options.output, error) && !platform::isFolder(options.output)) {
        return usageError("output " + options.output + " is not a folder");
    }
    if (const auto makeError = platform::makeFolders(options.output)) {
        return usageError("cannot create output folder " + options.output + ": " +
                          platform::describe(makeError));
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    CLI::App app{
        "Reassembles the TAR archives carried in SIG files into \"TAR Files\" and splits "
        "them into GRIB, BUFR, PNG, IMAG, FAX and ASCII product folders.",
        "veltrane-extract"};
    app.add_option("SIGFILE", options.sigFiles, "SIG files to extract, one run each, in order")
        ->required();
    app.add_option("-o,--output", options.output,
                   "folder that receives \"TAR Files\", \"GRIB Files\", ... (made when missing)")
        ->default_str(".");
    app.add_option("-k,--kinds", options.kinds,
                   "comma-separated kinds: grib,bufr,png,imag,fax,ascii, or all")
        ->default_str(options.kinds);
    app.add_flag("--json", options.json, "print the run report as JSON on standard output");
    app.add_flag("-q,--quiet", options.quiet, "no progress and no summary; errors still shown");
    app.add_flag("-v,--verbose", options.verbose, "name every file written");
    app.set_version_flag("--version", std::string("veltrane-extract ") + VELTRANE_VERSION);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    }

    std::string problem;
    const auto kinds = cli::parseKindList(options.kinds, problem);
    if (!kinds) {
        return usageError(problem);
    }
    if (const auto status = checkInputs(options)) {
        return *status;
    }

    std::optional<cli::ProgressMeter> meter;
    if (!options.quiet && ::isatty(STDERR_FILENO) == 1) {
        meter.emplace(stderr, options.sigFiles.size());
    }
    // With --json, standard output holds the report alone.
    std::FILE* fileList = options.verbose ? (options.json ? stderr : stdout) : nullptr;

    const cli::StopOnSignal signals;
    std::vector<RunReport> reports;
    bool anyFailure = false;
    for (std::size_t i = 0; i < options.sigFiles.size() && !signals.token().stop_requested(); ++i) {
        if (meter) {
            meter->startFile(i);
        }
        CommandLineHost host(options.sigFiles[i], *kinds, meter ? &*meter : nullptr, fileList);
        // The command line only counts and lists, so the split may take the second core.
        ExtractionRun run(host, options.output, signals.token(),
                          RunOptions{.splitBesideWalk = true});
        reports.push_back(run.RunExtraction());
        if (meter) {
            meter->clear();
        }
        cli::printProblems(stderr, reports.back(), !options.quiet);
        anyFailure = anyFailure || !reports.back().failures.empty();
    }

    if (options.json) {
        std::fputs(cli::reportsToJson(reports).c_str(), stdout);
    } else if (!options.quiet) {
        cli::printSummary(stdout, reports);
    }
    if (const int signal = signals.signal(); signal != 0) {
        return kExitSignalBase + signal;
    }
    return anyFailure ? kExitFailures : kExitOk;
}
