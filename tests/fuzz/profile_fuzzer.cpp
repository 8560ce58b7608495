// Any bytes parse as a profile file that serializes back unchanged; a key
// set in it reads back, and every other line survives the write.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/profile/profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  auto file = wb::profile::ProfileFile::Parse(input);
  if (file.Serialize() != input) std::abort();

  const wb::WString section = u"StartRow", key = u"RowNumber", value = u"12";
  file.Set(section, key, value);
  const std::string written = file.Serialize();
  auto again = wb::profile::ProfileFile::Parse(written);
  const auto read = again.Get(section, key);
  if (!read || *read != value) std::abort();
  if (again.Serialize() != written) std::abort();
  again.RemoveKey(section, key);
  (void)again.Serialize();
  return 0;
}
