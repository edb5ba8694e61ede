// veltrane-pack-skin: compresses skin descriptions into the skin list the program embeds.
//   veltrane-pack-skin <output list file> <Name>=<description file> [...]
// Items are stored in the order given; the program shows item 0.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "app/skin_list.h"
#include "platform/file_io.h"

namespace {

namespace fs = std::filesystem;
using veltrane::app::SkinListItem;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: veltrane-pack-skin <output list file> <Name>=<description file> [...]";

// Every failure explains itself in one line on standard error.
int report(int code, const std::string& message) {
    if (code == kExitUsage) {
        std::fprintf(stderr, "veltrane-pack-skin: %s (%s)\n", message.c_str(), kUsage);
    } else {
        std::fprintf(stderr, "veltrane-pack-skin: %s\n", message.c_str());
    }
    return code;
}

bool readWhole(const fs::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Written under a temporary name and renamed over the target only when complete, so a failed
// run never leaves a cut list that a later build would embed.
bool writeReplacing(const fs::path& target, const std::vector<std::byte>& bytes,
                    std::string& error) {
    veltrane::platform::OutputFile out;
    std::error_code code = out.create(target);
    if (!code) {
        code = out.write(bytes);
    }
    if (!code) {
        code = out.commit();
    }
    if (code) {
        error = "cannot write " + target.string() + ": " + veltrane::platform::describe(code);
        return false;
    }
    return true;
}

int run(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::puts(kUsage);
        return kExitOk;
    }
    if (argc < 3) {
        return report(kExitUsage, "need an output file and at least one Name=file");
    }
    if (static_cast<std::size_t>(argc - 2) > veltrane::app::kMaxSkinListItems) {
        return report(kExitUsage, "too many items");
    }
    const fs::path output = argv[1];
    std::vector<SkinListItem> items;
    std::set<std::string> names;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto equals = argument.find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == argument.size()) {
            return report(kExitUsage, "\"" + argument + "\" is not Name=file");
        }
        SkinListItem item;
        item.Name = argument.substr(0, equals);
        const fs::path source = argument.substr(equals + 1);
        if (!names.insert(item.Name).second) {
            return report(kExitUsage, "item name \"" + item.Name + "\" given twice");
        }
        item.CompressedFileName = source.filename().replace_extension(".skn").string();
        if (item.Name.size() > veltrane::app::kMaxSkinLabelLength ||
            item.CompressedFileName.size() > veltrane::app::kMaxSkinLabelLength) {
            return report(kExitUsage, "name too long in \"" + argument + "\"");
        }
        std::string description;
        if (!readWhole(source, description)) {
            return report(kExitFailure, "cannot read " + source.string());
        }
        item.data = veltrane::app::compressSkin(description);
        if (item.data.empty()) {
            return report(kExitFailure,
                          "cannot compress " + source.string() + " (over the size limit of " +
                              std::to_string(veltrane::app::kMaxSkinDescriptionSize) + " bytes?)");
        }
        items.push_back(std::move(item));
    }

    const std::vector<std::byte> list = veltrane::app::packSkinList(items);
    // Read back what the program will read, so a list it would refuse is never written.
    std::string error;
    for (std::size_t index = 0; index < items.size(); ++index) {
        std::string description;
        if (!veltrane::app::unpackListedSkin(list, index, description, error)) {
            return report(kExitFailure, "packed list does not read back: " + error);
        }
    }
    if (!writeReplacing(output, list, error)) {
        return report(kExitFailure, error);
    }
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    return run(argc, argv);
}
