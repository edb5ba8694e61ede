#include "fixtures.h"

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>

#include "testdata/byte_sink.h"
#include "testdata/prng.h"
#include "testdata/products.h"
#include "testdata/sample_messages.h"
#include "testdata/sig_generator.h"
#include "testdata/tar_writer.h"

namespace veltrane::bench {
namespace {

namespace fs = std::filesystem;
using namespace veltrane::testdata;

// VELTRANE_BENCH_DIR chooses the file system under test; the default is the temporary folder.
class Scratch {
  public:
    Scratch() {
        const char* base = std::getenv("VELTRANE_BENCH_DIR");
        root_ = fs::path(base != nullptr ? base : fs::temp_directory_path().c_str()) /
                ("veltrane-micro-" + std::to_string(::getpid()));
        fs::create_directories(root_);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    const fs::path& root() const { return root_; }

  private:
    fs::path root_;
};

Scratch& scratch() {
    static Scratch instance;
    return instance;
}

const ProductFactory& factory() {
    static const ProductFactory instance(loadSampleMessages(kDefaultSamplesFolder), 1);
    return instance;
}

}  // namespace

const fs::path& sigFixture(RecordShape shape, std::uint64_t bytes) {
    static std::map<std::pair<RecordShape, std::uint64_t>, fs::path> made;
    auto [entry, added] = made.try_emplace({shape, bytes});
    if (added) {
        GeneratorOptions options;
        options.targetSize = bytes;
        std::tie(options.recordMin, options.recordMax) =
            shape == RecordShape::Large ? std::pair<std::size_t, std::size_t>{60000, 65502}
                                        : std::pair<std::size_t, std::size_t>{1024, 2048};
        entry->second = scratch().root() / ("feed-" + std::to_string(static_cast<int>(shape)) +
                                            "-" + std::to_string(bytes) + ".sig");
        FileSink sink(entry->second);
        generateSig(sink, factory(), options);
        sink.close();
    }
    return entry->second;
}

const fs::path& archiveFixture(std::size_t members) {
    static std::map<std::size_t, fs::path> made;
    auto [entry, added] = made.try_emplace(members);
    if (added) {
        Prng rng(7);
        TarWriter writer;
        for (std::size_t i = 0; i < members; ++i) {
            const ProductKind kind = kAllProductKinds[i % kAllProductKinds.size()];
            const Member member = factory().make(kind, i, rng);
            writer.addFile(member.name, member.data);
        }
        writer.finish();
        entry->second = scratch().root() / ("archive-" + std::to_string(members) + ".tar");
        FileSink sink(entry->second);
        sink.write(writer.bytes());
        sink.close();
    }
    return entry->second;
}

fs::path outputFolder(const char* name) {
    const fs::path folder = scratch().root() / name;
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder);
    return folder;
}

void clearOutput(const fs::path& folder) {
    static std::uint64_t cleared = 0;
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ignored)) {
        if (entry.is_regular_file(ignored)) {
            fs::resize_file(entry.path(), 0, ignored);
        }
    }
    const fs::path trash = scratch().root() / "trash";
    fs::create_directories(trash);
    fs::rename(folder, trash / std::to_string(++cleared));
}

}  // namespace veltrane::bench
