// Cable information annotation on a picked wire.
#pragma once

void QZ_DrawCableInfo();
