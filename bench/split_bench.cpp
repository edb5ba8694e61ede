// veltrane-split-bench: runs the engine's member split alone over archives that already exist,
// so that bench/run.sh can time it against GNU tar extracting the same archives. A benchmark
// aid, not a user-facing program: it takes no options and extracts every kind.

#include <cstdio>
#include <filesystem>

#include "engine/extraction_run.h"

namespace {

using namespace veltrane;

class SplitOnlyHost final : public RunHost {
  public:
    std::filesystem::path sigFilePath() override { return {}; }
    KindSelection selectedKinds() override { return KindSelection::all(); }
    void showProgress(const RunProgress&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: veltrane-split-bench OUTDIR ARCHIVE...\n");
        return 2;
    }
    SplitOnlyHost host;
    ExtractionRun run(host, argv[1]);
    for (int i = 2; i < argc; ++i) {
        run.SplitTarFile(argv[i]);
    }
    // A benchmark whose split failed would time the wrong thing: say so and fail.
    const RunReport& report = run.state().report;
    for (const Problem& failure : report.failures) {
        std::fprintf(stderr, "veltrane-split-bench: %s: %s\n", failure.path.c_str(),
                     failure.reason.c_str());
    }
    return report.failures.empty() ? 0 : 1;
}
