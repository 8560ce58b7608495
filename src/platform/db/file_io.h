// Whole-file reads and crash-safe whole-file writes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace wb::db {

bool ReadWholeFile(const std::string& path, std::string* contents, std::string* error);

// Writes `contents` to a temporary file in the target's folder, flushes it
// to disk and renames it over `path`. On any failure the target is left as
// it was and the temporary file is removed.
bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string* error);
// The same, the contents handed over piece by piece: `produce` calls its
// argument with each piece in order and returns false if it had to stop.
using ContentWriter = std::function<bool(std::string_view)>;
bool WriteFileAtomically(const std::string& path, const std::function<bool(const ContentWriter&)>& produce,
                         std::string* error);

}  // namespace wb::db
