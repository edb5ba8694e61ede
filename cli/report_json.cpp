#include "cli/report_json.h"

#include <cstdio>

namespace veltrane::cli {
namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0 when there is none.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, value = lead & 0x1FU;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, value = lead & 0x0FU;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, value = lead & 0x07U;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0U) != 0x80U) {
            return 0;
        }
        value = (value << 6) | (next & 0x3FU);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < minimum || value > 0x10FFFF || surrogate ? 0 : length;
}

void appendEscaped(std::string& out, unsigned codePoint) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", codePoint);
    out += escaped;
}

void appendCounts(std::string& out, const RunCounters& counts) {
    out += '{';
    bool first = true;
    for (const Counter counter : kAllCounters) {
        if (!first) {
            out += ", ";
        }
        first = false;
        out += jsonString(counterName(counter));
        out += ": ";
        out += std::to_string(counts[counter]);
    }
    out += '}';
}

void appendProblems(std::string& out, const std::vector<Problem>& problems) {
    out += '[';
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (i > 0) {
            out += ", ";
        }
        out += "{\"path\": " + jsonString(problems[i].path) +
               ", \"reason\": " + jsonString(problems[i].reason) + '}';
    }
    out += ']';
}

}  // namespace

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            appendEscaped(out, byte);
        } else if (byte >= 0x80) {
            const std::size_t length = utf8SequenceLength(text, i);
            if (length == 0) {
                appendEscaped(out, byte);
            } else {
                out.append(text, i, length);
                i += length;
                continue;
            }
        } else {
            out += c;
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string reportsToJson(const std::vector<RunReport>& reports) {
    std::string out = "{\"runs\": [";
    RunCounters totals;
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const RunReport& report = reports[i];
        totals += report.counts;
        if (i > 0) {
            out += ", ";
        }
        out += "{\"sig\": " + jsonString(report.sigPath) +
               ", \"bytes\": " + std::to_string(report.bytesRead) + ", \"counts\": ";
        appendCounts(out, report.counts);
        out += ", \"failures\": ";
        appendProblems(out, report.failures);
        out += ", \"warnings\": ";
        appendProblems(out, report.warnings);
        out += ", \"failures_not_listed\": " + std::to_string(report.failuresNotListed);
        out += ", \"warnings_not_listed\": " + std::to_string(report.warningsNotListed);
        out += ", \"stopped\": ";
        out += report.stopped ? "true" : "false";
        out += '}';
    }
    out += "], \"totals\": ";
    appendCounts(out, totals);
    out += "}\n";
    return out;
}

}  // namespace veltrane::cli
