// Fuzz target: the input is one reassembled archive, split by the member walk with every kind
// chosen, as a run does once the archive's end record has come.

#include <cstddef>
#include <cstdint>

#include "engine/extraction_run.h"
#include "fuzz_jail.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltrane;
    static fuzzing::Jail jail("archive.tar");
    jail.prepare(data, size);
    fuzzing::CheckingHost host(jail.input(), KindSelection::all());
    ExtractionRun run(host, jail.out());
    run.SplitTarFile(jail.input());
    fuzzing::checkAfterRun(jail, host, run.state().counters, run.state().report);
    return 0;
}
