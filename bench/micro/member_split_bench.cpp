// The member split over a page-cached archive: every kind written, FAX bytes reversed.

#include <benchmark/benchmark.h>

#include "engine/extraction_run.h"
#include "fixtures.h"

namespace veltrane::bench {
namespace {

class AllKindsHost final : public RunHost {
  public:
    std::filesystem::path sigFilePath() override { return {}; }
    KindSelection selectedKinds() override { return KindSelection::all(); }
    void showProgress(const RunProgress&) override {}
};

void BM_MemberSplit(benchmark::State& state) {
    const auto members = static_cast<std::size_t>(state.range(0));
    const auto& archive = archiveFixture(members);
    const auto output = outputFolder("split");
    AllKindsHost host;
    for (auto _ : state) {
        state.PauseTiming();
        clearOutput(output);
        state.ResumeTiming();
        ExtractionRun run(host, output);
        run.SplitTarFile(archive);
        if (!run.state().report.failures.empty()) {
            state.SkipWithError(run.state().report.failures.front().reason.c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(archive)));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * members));
}
BENCHMARK(BM_MemberSplit)->ArgName("members")->Arg(60)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veltrane::bench
