// A cable list and its definition file, both any bytes: the import answers
// one of its results, the export one of its messages, and a list it wrote
// imports again into as many rows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "module_fuzz_setup.h"
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

}  // namespace

// Input: start row, length of the definition file (two bytes), the
// definition file, the cable list.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int startRow = 1 + data[0] % 4;
  const size_t iniSize = std::min<size_t>(size - 3, data[1] | (data[2] << 8));
  const std::string ini(reinterpret_cast<const char*>(data + 3), iniSize);
  const std::string csv(reinterpret_cast<const char*>(data + 3 + iniSize), size - 3 - iniSize);
  wbfuzz::Define(ini);
  const std::string source = wbfuzz::Root() + "/list.csv";
  if (!wb::fs::WriteFileAtomically(source, csv)) std::abort();

  CableList list;
  if (Import(list, source, startRow) != 0) return 0;
  for (size_t i = 0; i < list.rows.size(); i += 2) {
    list.rows[i].hasLength = true;
    list.rows[i].length = 12.25 * static_cast<double>(i);
  }
  const int shown = ExportCableList(g_cableSetting, u"P", u"F", list, nullptr);
  if (shown != 141) std::abort();
  // The export pairs rows with lines as the import counts them.
  CableList again;
  if (Import(again, wbfuzz::Root() + "/P/F/Cablelist.csv", startRow) != 0 ||
      again.rows.size() != list.rows.size())
    std::abort();
  return 0;
}
