// Whole-file reads and crash-safe whole-file writes.
#pragma once

#include <string>
#include <string_view>

namespace wb::db {

bool ReadWholeFile(const std::string& path, std::string* contents, std::string* error);

// Writes `contents` to a temporary file in the target's folder, flushes it
// to disk and renames it over `path`. On any failure the target is left as
// it was and the temporary file is removed.
bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string* error);

}  // namespace wb::db
