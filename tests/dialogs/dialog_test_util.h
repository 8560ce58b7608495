// A scratch projects root, a scripted user and the module's settings reset
// around each dialog test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "files/files_test_util.h"
#include "platform/dialogs/dialog_backend.h"
#include "platform/dialogs/message_box.h"
#include "platform/dialogs/scripted_backend.h"
#include "platform/profile/profile_file.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "platform/text/codepage.h"
#include "resources/string_table.h"
#include "settings/cable_setting.h"

namespace wbtest {

namespace stdfs = std::filesystem;

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = wb::ui::SetBackend(&user);
    g_cableSetting = CableSetting();
    root = dir / "projects";
    stdfs::create_directories(root);
    g_cableSetting.projectRoot = U(root) + u"/";
    // Never the developer's own configuration.
    QzComn_SetConfigFile(U(dir / "wirebinder.ini"));
    QzComn_SetEnvFile(U(dir / "qzenv.ini"));
  }
  void TearDown() override {
    EXPECT_TRUE(user.problems().empty()) << wb::Utf16ToUtf8(user.problems().front());
    EXPECT_EQ(wb::ui::ResourceOverride::Depth(), 0);
    wb::ui::SetBackend(previous_);
    QzComn_SetConfigFile(u"");
    QzComn_SetEnvFile(u"");
    g_cableSetting = CableSetting();
  }

  // A definition file with `keys` in section "WireBinder".
  void Define(const std::string& folder, const std::map<std::string, std::string>& keys,
              int rowNumber = 0) {
    stdfs::create_directories(folder);
    const wb::WString path = U(folder + "/CablelistDefine.ini");
    for (const auto& [k, v] : keys)
      WritePrivateProfileStringW(u"WireBinder", wb::W(k), wb::W(v), path);
    if (rowNumber > 0)
      WritePrivateProfileStringW(u"StartRow", u"RowNumber", wb::Format(u"%d", rowNumber), path);
  }
  // The four required-ish columns: NO 1, SIZE 2, FROM_MARK 3, TO_MARK 4.
  void DefineSimple(const std::string& folder, int rowNumber = 0) {
    Define(folder, {{"NO", "1"}, {"SIZE", "2"}, {"FROM_MARK", "3"}, {"TO_MARK", "4"}}, rowNumber);
  }
  // Lines given in UTF-8, written in the ANSI code page with CR LF.
  void WriteList(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += wb::codepage::FromUtf16(wb::W(line)) + "\r\n";
    WriteBytes(path, bytes);
  }
  std::string Project(const std::string& plant, const std::string& facility) const {
    return root + "/" + plant + "/" + facility;
  }

  // Texts of the messages shown, by string ID where they are the module's.
  std::vector<int> MessageIds() const {
    std::vector<int> ids;
    for (const auto& m : user.messages()) {
      int id = 0;
      for (int k = kFirstStringId; k <= kLastStringId; ++k)
        if (m.text == LoadModuleString(k)) id = k;
      ids.push_back(id);
    }
    return ids;
  }
  unsigned LastMessageType() const {
    return user.messages().empty() ? 0xFFFF : user.messages().back().type;
  }

  wb::ui::ScriptedBackend user;
  TempDir dir;
  std::string root;

 private:
  wb::ui::DialogBackend* previous_ = nullptr;
};

}  // namespace wbtest
