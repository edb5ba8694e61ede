// Fuzz target: the input is a whole SIG file, run through an extraction with every kind chosen,
// so the record walk, the archive writes and the split of every archive it completes all see it.

#include <cstddef>
#include <cstdint>

#include "engine/extraction_run.h"
#include "fuzz_jail.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltrane;
    static fuzzing::Jail jail("feed.sig");
    jail.prepare(data, size);
    fuzzing::CheckingHost host(jail.input(), KindSelection::all());
    ExtractionRun run(host, jail.out());
    const RunReport report = run.RunExtraction();
    fuzzing::checkAfterRun(jail, host, report.counts, report);
    return 0;
}
