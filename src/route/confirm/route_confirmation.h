// Shows the route of the cable selected in the main dialog.
#pragma once

void QZ_ConfirtCable();
