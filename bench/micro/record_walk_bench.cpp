// The record walk over a page-cached SIG file: the reader alone, and with the archives written.

#include <benchmark/benchmark.h>

#include "engine/extraction_run.h"
#include "engine/sig_format.h"
#include "engine/sig_record_reader.h"
#include "fixtures.h"

namespace veltrane::bench {
namespace {

constexpr std::uint64_t kSigBytes = std::uint64_t{64} << 20;

class NoProductsHost final : public RunHost {
  public:
    explicit NoProductsHost(std::filesystem::path sig) : sig_(std::move(sig)) {}
    std::filesystem::path sigFilePath() override { return sig_; }
    KindSelection selectedKinds() override { return {}; }
    void showProgress(const RunProgress&) override {}

  private:
    std::filesystem::path sig_;
};

// Every record read and classified as the run classifies it, nothing written.
void BM_RecordWalk(benchmark::State& state) {
    const auto shape = static_cast<RecordShape>(state.range(0));
    platform::InputFile file;
    if (file.open(sigFixture(shape, kSigBytes))) {
        state.SkipWithError("cannot open the fixture");
        return;
    }
    std::int64_t size = 0;
    (void)file.size(size);
    std::int64_t records = 0;
    for (auto _ : state) {
        sig::RecordReader reader(file, kSigReadWindow);
        std::int64_t offset = 0;
        std::size_t markers = 0;
        while (offset < size) {
            std::error_code error;
            const auto record = reader.recordAt(offset, error);
            if (error || record.size() < sig::kLengthFieldSize) {
                break;
            }
            const std::uint32_t length = sig::recordLength(record);
            const auto payload = sig::payloadOf(record, length);
            markers += sig::startsWithSkipMarker(payload) + sig::startsWithEndMarker(payload);
            offset += length + sig::kLengthFieldSize;
            ++records;
        }
        benchmark::DoNotOptimize(markers);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
    state.SetItemsProcessed(records);
}
BENCHMARK(BM_RecordWalk)
    ->ArgName("small_records")
    ->Arg(static_cast<int>(RecordShape::Large))
    ->Arg(static_cast<int>(RecordShape::Small))
    ->Unit(benchmark::kMillisecond);

// The walk with every archive written to "TAR Files" and read back, no products chosen.
void BM_Reassemble(benchmark::State& state) {
    const auto shape = static_cast<RecordShape>(state.range(0));
    const auto& sig = sigFixture(shape, kSigBytes);
    const auto output = outputFolder("reassemble");
    NoProductsHost host(sig);
    for (auto _ : state) {
        state.PauseTiming();
        clearOutput(output);
        state.ResumeTiming();
        ExtractionRun run(host, output);
        const RunReport report = run.RunExtraction();
        if (!report.failures.empty()) {
            state.SkipWithError(report.failures.front().reason.c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(sig)));
}
BENCHMARK(BM_Reassemble)
    ->ArgName("small_records")
    ->Arg(static_cast<int>(RecordShape::Large))
    ->Arg(static_cast<int>(RecordShape::Small))
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veltrane::bench
