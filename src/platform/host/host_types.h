// Names the module uses for the host's basic types, as the original does.
#pragma once

#include <vector>

#include "platform/db/database.h"
#include "platform/text/ustring.h"

using AcDbObjectId = wb::db::ObjectId;
using AcGePoint3d = wb::db::Point3;
using AcDbObjectIdArray = std::vector<AcDbObjectId>;
using AcGePoint3dArray = std::vector<AcGePoint3d>;
using CString = wb::WString;
using CStringArray = std::vector<wb::WString>;

// Host result codes of the editor calls.
constexpr int RTNORM = 5100;
constexpr int RTERROR = -5001;
constexpr int RTCAN = -5002;
constexpr int RTNONE = 5000;
