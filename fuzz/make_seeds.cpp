// veltrane-fuzz-seeds OUTDIR SIGFILE...: writes the starting corpora of the fuzz targets into
// OUTDIR/sig_walk and OUTDIR/tar_split. The SIG files (made by veltrane-make-sig) are copied,
// the archives they carry are cut out of them by a run that chooses no kind, and a few hand-made
// inputs add what the generator never writes: records of every short length, a header without a
// name, a last record cut short, hostile member names and odd size fields.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/extraction_run.h"
#include "testdata/byte_sink.h"
#include "testdata/products.h"
#include "testdata/sample_messages.h"
#include "testdata/sig_writer.h"
#include "testdata/tar_writer.h"

namespace {

namespace fs = std::filesystem;
using namespace veltrane;
using testdata::TarEntry;
using testdata::TarWriter;

void save(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

class ArchivesOnly : public RunHost {
  public:
    explicit ArchivesOnly(fs::path sig) : sig_(std::move(sig)) {}
    fs::path sigFilePath() override { return sig_; }
    KindSelection selectedKinds() override { return KindSelection{}; }
    void showProgress(const RunProgress&) override {}

  private:
    fs::path sig_;
};

// Every archive the SIG file carries, as the run reassembles it.
void cutArchives(const fs::path& sig, const fs::path& scratch, const fs::path& into) {
    ArchivesOnly host(sig);
    ExtractionRun run(host, scratch);
    run.RunExtraction();
    const fs::path archives = scratch / products::kTarFolder;
    if (!fs::exists(archives)) {
        return;
    }
    for (const auto& entry : fs::directory_iterator(archives)) {
        fs::copy_file(entry.path(),
                      into / (sig.stem().string() + "-" + entry.path().filename().string()),
                      fs::copy_options::overwrite_existing);
    }
}

std::vector<testdata::Member> oneOfEachKind() {
    const testdata::ProductFactory factory(
        testdata::loadSampleMessages(testdata::kDefaultSamplesFolder), 11);
    testdata::Prng rng(11);
    std::vector<testdata::Member> members;
    std::uint64_t serial = 1;
    for (const testdata::ProductKind kind : testdata::kAllProductKinds) {
        members.push_back(factory.make(kind, serial++, rng, 2048));
    }
    return members;
}

std::string archiveOf(const std::vector<std::pair<TarEntry, std::string>>& members) {
    TarWriter tar;
    for (const auto& [entry, data] : members) {
        tar.addMember(entry, data);
    }
    tar.finish();
    return tar.release();
}

TarEntry withSizeField(std::string name, std::string field) {
    TarEntry entry(std::move(name));
    entry.sizeField = std::move(field);
    return entry;
}

void handMadeArchives(const fs::path& into) {
    const std::vector<testdata::Member> kinds = oneOfEachKind();
    std::vector<std::pair<TarEntry, std::string>> everyKind;
    for (const testdata::Member& member : kinds) {
        everyKind.emplace_back(TarEntry(member.name), member.data);
    }
    save(into / "every-kind.tar", archiveOf(everyKind));

    const std::string text = kinds.back().data;
    std::vector<std::pair<TarEntry, std::string>> names;
    for (const char* name : {"../up", "a/../../up", "C:drive", "c:\\win\\x", "/abs/x", "dir/",
                             "a\\b\\c", "./d/./e", "ctl\x01\x1f\x7f", ".", ""}) {
        names.emplace_back(TarEntry(name), text);
    }
    names.emplace_back(TarEntry(std::string(100, 'n')), kinds.front().data);
    save(into / "names.tar", archiveOf(names));

    const std::string grib = kinds.front().data;
    save(into / "size-base256.tar",
         archiveOf({{withSizeField("b", testdata::base256SizeField(grib.size())), grib}}));
    save(into / "size-twelve-digits.tar",
         archiveOf({{withSizeField("t", "000000000100"), std::string(100, 't')}}));
    save(into / "size-junk.tar",
         archiveOf({{TarEntry("ok"), text},
                    {withSizeField("j", std::string("0000000x12\0\0", 12)), text},
                    {TarEntry("after"), text}}));

    TarWriter cut;
    cut.addFile("first", text);
    cut.addTruncatedMember(TarEntry("cut"), 1 << 20, grib);
    save(into / "member-cut-short.tar", cut.release());
}

void handMadeSig(const fs::path& into) {
    TarWriter tar;
    tar.addFile("t", "METAR KWBC 111200Z 27010KT 9999 FEW030 12/05 Q1013=\r\r\n");
    tar.finish();
    const std::string archive = tar.release();

    std::string sig;
    testdata::StringSink sink(sig);
    testdata::SigWriter writer(sink);
    writer.noiseRecord();
    writer.headerRecord("tarfile.short.tar");
    for (std::uint16_t length = 0; length <= 34; length += 2) {
        writer.rawRecord(length, std::string(length, 's'));
    }
    writer.dataRecord(std::string_view(archive).substr(0, 600));
    writer.skipRecord();
    writer.dataRecord(std::string_view(archive).substr(600));
    writer.endRecord("tarfile.short.tar");
    writer.record(std::string(testdata::kSigHeaderMarker) + ".nameless.tgz\r\n");
    writer.headerRecord("tarfile.cut.tar");
    writer.rawRecord(2000, std::string(30, 'h') + archive.substr(0, 700));
    save(into / "hand-made.sig", sig);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: veltrane-fuzz-seeds OUTDIR [SIGFILE...]\n");
        return 2;
    }
    try {
        const fs::path out = argv[1];
        const fs::path sigSeeds = out / "sig_walk";
        const fs::path tarSeeds = out / "tar_split";
        fs::create_directories(sigSeeds);
        fs::create_directories(tarSeeds);
        for (int i = 2; i < argc; ++i) {
            const fs::path sig = argv[i];
            fs::copy_file(sig, sigSeeds / sig.filename(), fs::copy_options::overwrite_existing);
            const fs::path scratch = out / "scratch";
            cutArchives(sig, scratch, tarSeeds);
            fs::remove_all(scratch);
        }
        handMadeSig(sigSeeds);
        handMadeArchives(tarSeeds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veltrane-fuzz-seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
