// Numeric and angle conversions of the ARX utility library.
#pragma once

#include "platform/text/ustring.h"

// The C runtime's atof over UTF-16: leading blanks, sign, digits, point,
// exponent; 0 for empty text or text that does not start with a number.
double ApiComn_atof(const wb::WString& text);
double ApiComn_ConvToRadian(double degrees);
// Radians to degrees in [0, 360).
double ApiComn_ConvToAngle(double radians);
