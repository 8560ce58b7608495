#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "dxf_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = wbfuzz::DxfRoundTripFault(std::string(reinterpret_cast<const char*>(data), size));
  if (fault.empty()) return 0;
  std::fprintf(stderr, "%s\n", fault.c_str());
  std::abort();
}
