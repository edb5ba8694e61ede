#pragma once

// Stand-ins for ecCodes templates: the indicator section and "7777" are real, the sections in
// between are filler. Enough for code that only frames messages.

#include <cstddef>
#include <string>

#include "testdata/sample_messages.h"

namespace veltrane::testdata::fixture {

std::string gribMessage(int edition, std::size_t length);
std::string bufrMessage(int edition, std::size_t length);
// Two GRIB editions in two sizes each, and both BUFR editions.
SampleMessages fakeSamples();

}  // namespace veltrane::testdata::fixture
