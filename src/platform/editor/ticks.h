// The system tick count: milliseconds, 32 bits, wrapping.
#pragma once

#include <cstdint>

uint32_t GetTickCount();
