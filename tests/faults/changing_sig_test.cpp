// SIG files that end where they should not, or change while they are read. Whatever the cut,
// every product written is the one a whole file gives, every archive kept is a beginning of
// the archive the whole file carries, only archives whose end record came are counted and
// split, the gauge reaches 100, and nothing is left half written.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "case_name.h"
#include "engine/sig_format.h"
#include "fault_fixture.h"
#include "testdata/tar_writer.h"

namespace veltrane {
namespace {

using Files = std::map<std::string, std::string>;
using testing_support::filesUnder;
using testing_support::productsUnder;

// An archive as a SIG file carries it: its bytes, and for each of its records where the record
// starts and how many of the archive's bytes come before it.
struct CarriedArchive {
    std::string bytes;
    std::vector<std::pair<std::size_t, std::size_t>> records;
};

// A SIG file and what is known of it as it was written.
struct Feed {
    std::string bytes;
    std::set<std::size_t> recordEnds;
    // Per archive, where its header record ends and where its end record's marker is complete:
    // a file cut between the two ends inside the archive; from the second on it is counted.
    std::vector<std::size_t> headerEnd;
    std::vector<std::size_t> endMarkerComplete;
    std::map<std::string, CarriedArchive> archives;

    // Where to cut it: every offset where the reader can tell a difference (the length field,
    // the record header, the first bytes of the payload where markers stand, the trailer), and
    // every 16th in the middle of payloads, where every cut is alike. Each cut is a whole run,
    // and a run costs milliseconds under the sanitizers, so not every byte.
    std::vector<std::size_t> cuts() const {
        std::vector<std::size_t> offsets;
        std::size_t start = 0;
        for (const std::size_t end : recordEnds) {
            for (std::size_t at = start; at < end; ++at) {
                const bool head = at - start <= sig::kPayloadOffset + sig::kEndMarker.size();
                const bool trailer = end - at <= 4;
                if (head || trailer || at % 16 == 0) {
                    offsets.push_back(at);
                }
            }
            start = end;
        }
        return offsets;
    }

    bool endsInsideAnArchive(std::size_t size) const {
        for (std::size_t i = 0; i < headerEnd.size(); ++i) {
            if (headerEnd[i] <= size && size < endMarkerComplete[i]) {
                return true;
            }
        }
        return false;
    }

    std::int64_t archivesEndedBy(std::size_t size) const {
        return std::count_if(endMarkerComplete.begin(), endMarkerComplete.end(),
                             [size](std::size_t at) { return at <= size; });
    }

    // An archive kept from a file that ended early is the archive's bytes up to one of its
    // records, followed by whatever of that record's payload was present: even a skip or end
    // marker cut too short to be known for one is data.
    bool couldBeKept(const std::string& name, const std::string& kept) const {
        const CarriedArchive& archive = archives.at(name);
        if (archive.bytes.starts_with(kept)) {
            return true;
        }
        return std::any_of(archive.records.begin(), archive.records.end(), [&](const auto& r) {
            const auto [start, before] = r;
            const std::size_t payload = sig::recordLength(std::as_bytes(std::span(
                                            bytes.data() + start, sig::kLengthFieldSize))) -
                                        sig::kEmptyPayloadLength;
            return kept.size() >= before && kept.size() - before <= payload &&
                   kept.compare(0, before, archive.bytes, 0, before) == 0 &&
                   kept.compare(before, std::string::npos, bytes, start + sig::kPayloadOffset,
                                kept.size() - before) == 0;
        });
    }
};

class FeedBuilder {
  public:
    FeedBuilder() : sink_(feed_.bytes), writer_(sink_) {}

    void noise() {
        writer_.noiseRecord();
        mark();
    }

    void namelessHeader() {
        writer_.record(std::string(sig::kHeaderMarker) + ".nameless.tgz\r\n");
        mark();
    }

    void archive(const std::string& name, const std::string& bytes, std::size_t chunk) {
        CarriedArchive& carried = feed_.archives[name];
        carried.bytes = bytes;
        writer_.headerRecord(name);
        mark();
        feed_.headerEnd.push_back(feed_.bytes.size());
        const auto record = [&](std::size_t before, const std::function<void()>& write) {
            carried.records.emplace_back(feed_.bytes.size(), before);
            write();
            mark();
        };
        for (std::size_t at = 0; at < bytes.size(); at += chunk) {
            if (at / chunk % 3 == 1) {
                record(at, [&] { writer_.skipRecord(); });
            }
            record(at, [&] { writer_.dataRecord(std::string_view(bytes).substr(at, chunk)); });
        }
        feed_.endMarkerComplete.push_back(feed_.bytes.size() + sig::kPayloadOffset +
                                          sig::kEndMarker.size());
        record(bytes.size(), [&] { writer_.endRecord(name); });
    }

    Feed release() { return std::move(feed_); }

  private:
    void mark() { feed_.recordEnds.insert(feed_.bytes.size()); }

    Feed feed_;
    testdata::StringSink sink_;
    testdata::SigWriter writer_;
};

class ChangingSig : public testing_support::FaultTest<> {
  protected:
    Files reference;  // what the whole file gives

    void runWhole(const Feed& feed) {
        const RunReport report = runOver(feed.bytes);
        ASSERT_TRUE(report.failures.empty());
        ASSERT_EQ(report.counts[Counter::Tar],
                  static_cast<std::int64_t>(feed.endMarkerComplete.size()));
        reference = filesUnder(out);
        std::filesystem::remove_all(out);
    }

    // What any run over any version of the file must show.
    void expectConsistent(const Feed& feed, const RunReport& report) {
        EXPECT_TRUE(report.failures.empty()) << report.failures.front().reason;
        const Files products = productsUnder(out);
        for (const auto& [path, bytes] : products) {
            EXPECT_EQ(bytes, reference.at(path)) << path;
        }
        EXPECT_EQ(testing_support::productsCounted(report.counts),
                  static_cast<std::int64_t>(products.size()));
        for (const auto& [name, bytes] : filesUnder(out / "TAR Files")) {
            EXPECT_TRUE(feed.couldBeKept(name, bytes)) << name << ": " << bytes.size() << " bytes";
        }
        if (!host.gauge.empty()) {
            EXPECT_EQ(host.gauge.back(), 100);
        }
        expectNoPartFile();
    }
};

TEST_F(ChangingSig, CutAtEveryKindOfBoundary) {
    // Small, so that a run per byte stays cheap, with every kind of record: noise, headers with
    // and without a name, data, skip and end records, the first archive without end blocks.
    testdata::TarWriter first;
    first.addFile("g", testing_support::heading() + testing_support::gribMessage(40));
    FeedBuilder builder;
    builder.noise();
    builder.archive("tarfile.a.tar", first.release(), 300);
    builder.namelessHeader();
    builder.archive("tarfile.b.tar",
                    testing_support::archiveOf({{"i", testing_support::imagMember(100)}}), 500);
    const Feed feed = builder.release();
    runWhole(feed);

    // Offsets 0 and 1 are the empty file and the file of one stray byte.
    for (const std::size_t size : feed.cuts()) {
        SCOPED_TRACE("cut at " + std::to_string(size) + " of " + std::to_string(feed.bytes.size()));
        std::filesystem::remove_all(out);
        host = testing_support::RecordingHost{};
        const RunReport report = runOver(feed.bytes.substr(0, size));
        expectConsistent(feed, report);
        EXPECT_EQ(report.counts[Counter::Tar], feed.archivesEndedBy(size));
        EXPECT_EQ(report.bytesRead, static_cast<std::int64_t>(size));
        // A file that ended right behind a header record used to be reported as whole.
        if ((!feed.recordEnds.contains(size) && size > 0) || feed.endsInsideAnArchive(size)) {
            EXPECT_FALSE(report.warnings.empty());
        }
        if (HasFailure()) {
            break;
        }
    }
}

// Larger than the 4 MiB the reader takes at once, so that it reads the file again after the
// change.
Feed largeFeed() {
    FeedBuilder builder;
    builder.archive("tarfile.a.tar",
                    testing_support::archiveOf({{"i1", testing_support::imagMember(3 << 20)}}),
                    testdata::kSigMaxPayload);
    builder.archive("tarfile.b.tar",
                    testing_support::archiveOf({{"i2", testing_support::imagMember(2 << 20)},
                                                {"t", testing_support::textMember(100)}}),
                    testdata::kSigMaxPayload);
    return builder.release();
}

struct ChangeCase {
    const char* what;
    // Called at every progress report with the file's path and the position reached.
    std::function<void(const std::filesystem::path&, std::int64_t)> change;
    std::optional<std::int64_t> archives;  // counted, when the change fixes it
    bool warned;
};

void PrintTo(const ChangeCase& c, std::ostream* out) {
    *out << c.what;
}

class ChangingWhileRead : public ChangingSig, public testing::WithParamInterface<ChangeCase> {};

TEST_P(ChangingWhileRead, ReadsWhatIsThereAndStops) {
    const ChangeCase& c = GetParam();
    const Feed feed = largeFeed();
    runWhole(feed);
    writeSig(feed.bytes);
    host.onProgress = [&](const RunProgress& progress) {
        c.change(host.sig, progress.SigPosition);
    };
    const RunReport report = run();
    expectConsistent(feed, report);
    if (c.archives) {
        EXPECT_EQ(report.counts[Counter::Tar], *c.archives);
    }
    EXPECT_EQ(!report.warnings.empty(), c.warned);
    EXPECT_EQ(host.gauge.back(), 100);
}

constexpr std::int64_t kIntoSecondArchive = (3 << 20) + (1 << 20);

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangingWhileRead,
    testing::Values(
        // Bytes behind the length measured at the start are left for the next run.
        ChangeCase{"grows",
                   [](const std::filesystem::path& sig, std::int64_t) {
                       std::ofstream(sig, std::ios::binary | std::ios::app)
                           << testing_support::sigWith([](testdata::SigWriter& w) {
                                  testdata::writeArchive(
                                      w, "tarfile.c.tar",
                                      testing_support::archiveOf({{"c", "late"}}),
                                      testdata::ArchiveLayout::fixedChunks(600));
                              });
                   },
                   2, false},
        ChangeCase{"shrinks inside the second archive",
                   [](const std::filesystem::path& sig, std::int64_t position) {
                       if (position > (3 << 20) &&
                           std::filesystem::file_size(sig) > kIntoSecondArchive) {
                           std::filesystem::resize_file(sig, kIntoSecondArchive);
                       }
                   },
                   1, true},
        ChangeCase{"shrinks to nothing",
                   [](const std::filesystem::path& sig, std::int64_t) {
                       std::filesystem::resize_file(sig, 0);
                   },
                   std::nullopt, true}),
    testing_support::NameFromWhat{});

}  // namespace
}  // namespace veltrane
