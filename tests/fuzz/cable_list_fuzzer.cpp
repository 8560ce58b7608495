// A definition file and a cable list, any bytes: the import answers one of
// its results, the export writes the list, which imports again into as many
// rows, and every line reads back as it was but for the field the length
// took: DIST's, else the last or a new one after it. Input: start row, the definition file's length (two bytes), the
// definition file, the list.
#include <cstdint>

#include "module_fuzz_setup.h"
#include "platform/fs/text_codec.h"
#include "project/cable_list.h"
#include "project/cable_list_export.h"

namespace {

int Import(CableList& list, const std::string& path, int startRow) {
  list.plant = u"P";
  list.facility = u"F";
  list.sourcePath = wb::Utf8ToUtf16(path);
  list.startRow = startRow;
  const int result = list.Import();
  if (result > 0 || result < -3) std::abort();
  return result;
}

std::vector<std::vector<wb::WString>> Fields(const std::string& path) {
  const auto bytes = wb::fs::ReadFile(path);
  wb::fs::CharReader reader(*bytes, {wb::fs::kAnsi, true, true});
  std::vector<std::vector<wb::WString>> lines;
  for (wb::WString line; reader.ReadLine(line);) lines.push_back(wb::Split(line, u","));
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int startRow = 1 + data[0] % 4;
  const size_t iniSize = std::min<size_t>(size - 3, data[1] | (data[2] << 8));
  const char* text = reinterpret_cast<const char*>(data) + 3;
  const std::string root = wbfuzz::Define(std::string(text, iniSize));
  if (!wb::fs::WriteFileAtomically(root + "/list.csv", std::string(text + iniSize, size - 3 - iniSize)))
    std::abort();
  CableList list, again;
  if (Import(list, root + "/list.csv", startRow) != 0) return 0;
  for (size_t i = 0; i < list.rows.size(); i += 2) list.rows[i] = {.hasLength = true, .length = 12.25 * i};
  if (ExportCableList(g_cableSetting, u"P", u"F", list, nullptr) != 141 ||
      Import(again, root + "/P/F/Cablelist.csv", startRow) != 0 || again.rows.size() != list.rows.size())
    std::abort();
  const auto before = Fields(root + "/list.csv"), after = Fields(root + "/P/F/Cablelist.csv");
  const size_t d = std::max(ReadLengthColumn(list), 0) - 1;  // none: the largest size_t
  if (before.size() != after.size()) std::abort();
  for (size_t i = 0; i < before.size(); ++i) {
    auto s = before[i], o = after[i];  // never empty: n commas give n + 1 fields
    const size_t at = d < s.size() ? d : o.size() > s.size() ? s.size() : s.size() - 1;
    if (at < s.size()) s.erase(s.begin() + at);
    if (at < o.size()) o.erase(o.begin() + at);
    if (s != o) std::abort();
  }
  return 0;
}
