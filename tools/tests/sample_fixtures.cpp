#include "sample_fixtures.h"

namespace veltrane::testdata::fixture {

namespace {

void putBigEndian(std::string& message, std::size_t offset, std::size_t bytes, std::size_t value) {
    for (std::size_t i = bytes; i-- > 0;) {
        message[offset + i] = static_cast<char>(value & 0xFF);
        value >>= 8;
    }
}

std::string framed(std::string_view magic, std::size_t length) {
    std::string message(length, '\x11');
    message.replace(0, 4, magic);
    message.replace(length - 4, 4, "7777");
    return message;
}

}  // namespace

std::string gribMessage(int edition, std::size_t length) {
    std::string message = framed("GRIB", length);
    message[7] = static_cast<char>(edition);
    if (edition == 1) {
        putBigEndian(message, 4, 3, length);
    } else {
        putBigEndian(message, 4, 3, 0xFFFF00);
        putBigEndian(message, 8, 8, length);
    }
    return message;
}

std::string bufrMessage(int edition, std::size_t length) {
    std::string message = framed("BUFR", length);
    putBigEndian(message, 4, 3, length);
    message[7] = static_cast<char>(edition);
    return message;
}

SampleMessages fakeSamples() {
    SampleMessages samples;
    samples.grib.push_back({"GRIB1.tmpl", 1, gribMessage(1, 107)});
    samples.grib.push_back({"gg_sfc_grib2.tmpl", 2, gribMessage(2, 26948)});
    samples.grib.push_back({"GRIB2.tmpl", 2, gribMessage(2, 179)});
    samples.grib.push_back({"sh_sfc_grib1.tmpl", 1, gribMessage(1, 9358)});
    samples.bufr.push_back({"BUFR3.tmpl", 3, bufrMessage(3, 231)});
    samples.bufr.push_back({"BUFR4.tmpl", 4, bufrMessage(4, 231)});
    return samples;
}

}  // namespace veltrane::testdata::fixture
