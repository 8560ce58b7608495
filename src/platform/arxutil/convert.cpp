#include "platform/arxutil/convert.h"

#include <cmath>
#include <cstdlib>
#include <string>

double ApiComn_atof(const wb::WString& text) {
  // Only the ASCII prefix can take part in a number.
  std::string ascii;
  for (char16_t c : text) {
    if (c >= 0x80 || c == 0) break;
    ascii.push_back(static_cast<char>(c));
  }
  return std::strtod(ascii.c_str(), nullptr);
}

double ApiComn_ConvToRadian(double degrees) { return degrees * M_PI / 180.0; }

double ApiComn_ConvToAngle(double radians) {
  double degrees = std::fmod(radians * 180.0 / M_PI, 360.0);
  if (degrees < 0) degrees += 360.0;
  if (degrees >= 360.0) degrees -= 360.0;
  return degrees;
}
