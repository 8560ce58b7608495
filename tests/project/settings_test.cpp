#include "settings/cable_setting.h"

#include <gtest/gtest.h>

#include "../files/files_test_util.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "platform/text/codepage.h"
#include "project/cable_list.h"

using wb::W;
using wbtest::ReadBytes;
using wbtest::U;
using wbtest::WriteBytes;

namespace {

// A module configuration and an environment profile of the test's own.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QzComn_SetConfigFile(U(dir_ / "wirebinder.ini"));
    QzComn_SetEnvFile(U(dir_ / "env.ini"));
  }
  void TearDown() override {
    QzComn_SetConfigFile(u"");
    QzComn_SetEnvFile(u"");
  }
  // The on/off settings the configuration's switch words set.
  static std::vector<bool> Switches(const CableSetting& s) {
    return {s.oneMarkDialog,       s.drawSubNumber,    s.mostShortDist,
            s.cinfoLeaderRevision, s.showOptionButton, s.outLog};
  }
  void Config(const std::string& body) { WriteBytes(dir_ / "wirebinder.ini", "[WireBinder]\r\n" + body); }
  void SystemFolder(const std::string& utf8) {
    WriteBytes(dir_ / "env.ini", wb::codepage::FromUtf16(W("[環境設定]\r\nｼｽﾃﾑ=" + utf8 + "\r\n")));
  }
  wbtest::TempDir dir_;
};

TEST_F(SettingsTest, DefaultsSwitchWordsTheProjectFolderAndExactlyTheDrawingKeysSaved) {
  const CableSetting fresh;
  Config("");
  SystemFolder("");
  CableSetting s;
  LoadSettings(s);
  EXPECT_EQ(s.systemDir, u"/");
  EXPECT_EQ(s.projectRoot, W("/プロジェクト/"));
  EXPECT_EQ(s.subNumberSeparator, u" ");
  EXPECT_EQ(Switches(s), (std::vector<bool>{true, true, true, true, false, false}));
  EXPECT_EQ(s.markTextHeight, 2.0);
  EXPECT_EQ(s.markLayer, fresh.markLayer);
  EXPECT_EQ(s.cinfoTextFormat, fresh.cinfoTextFormat);

  // "ON" in any case turns on-only switches on; "OFF" in any case turns the
  // others off; any other word does neither.
  Config("ShowOptionButton=on\r\nOutLog=yes\r\nOneMarkDialog=oFf\r\nNO_DRAW=no\r\n"
         "MOST_SHORT_DIST=OFF\r\nKIGO_HEIGHT=abc\r\nKIGO_COLOR=7\r\nCINFO_TEXTFORMAT=A B\r\n"
         "KIGO_OFFSET=\r\n");
  LoadSettings(s);
  EXPECT_EQ(Switches(s), (std::vector<bool>{false, true, false, true, true, false}));
  EXPECT_EQ(s.markTextHeight, 0.0);  // letters convert to 0 and are taken
  EXPECT_EQ(s.markColor, 7);
  EXPECT_EQ(s.cinfoTextFormat, u"A B");
  EXPECT_EQ(s.markOffset, fresh.markOffset);  // empty leaves it

  // The project folder is relative to the system folder, however written.
  SystemFolder("/opt/qz");
  for (const char* value : {"/projects", "projects/", "/projects/"}) {
    Config(std::string("ProjectDir=") + value + "\r\n");
    LoadSettings(s);
    EXPECT_EQ(s.projectRoot, u"/opt/qz/projects/") << value;
  }

  // Saving writes exactly the drawing keys, after the others.
  Config("ProjectDir=p\r\n");
  CableSetting saved;
  saved.markTextHeight = 2.5;
  saved.markColor = 3;
  saved.cinfoLeaderRevision = false;
  saved.subNumberSeparator = u"_";
  SaveDrawingSettings(saved);
  EXPECT_EQ(ReadBytes(dir_ / "wirebinder.ini"),
            "[WireBinder]\r\nProjectDir=p\r\nKIGO_HEIGHT=2.5\r\nKIGO_WIDTHFACTOR=0.8\r\n"
            "KIGO_OFFSET=0.5\r\nKIGO_LAYER=_QZ_KIGO\r\nKIGO_COLOR=3\r\nCONFIRM_COLOR=1\r\n"
            "CONFIRM_LINEWEIGHT=30\r\nCINFO_TEXTHEIGHT=2\r\nCINFO_TEXTWIDTH=1.6\r\n"
            "CINFO_TEXTROWINTERVAL=2.5\r\nCINFO_TEXTSTARTOFFSET=4\r\n"
            "CINFO_TEXTLEADERREVISION=OFF\r\nCINFO_TEXTLEADERDEGREE=15\r\n"
            "CINFO_TEXTARCMAJORAXIS=1\r\nCINFO_TEXTARCMINORAXIS=0.8\r\nCINFO_TEXTFORMAT=C D A B\r\n"
            "NO_DRAW=ON\r\nNO_DEVIDESTRING=_\r\nNO_ANNO=OFF\r\n");
  LoadSettings(s);
  EXPECT_EQ(s.markTextHeight, 2.5);
  EXPECT_FALSE(s.cinfoLeaderRevision);
  EXPECT_EQ(s.subNumberSeparator, u"_");
}

TEST_F(SettingsTest, DefinitionFileLookupAndItsValues) {
  CableSetting s;
  s.projectRoot = dir_.folder();
  CableList list;
  list.plant = u"P";
  list.facility = u"F";
  CString path;
  EXPECT_FALSE(FindDefinitionFile(list, path, s));
  EXPECT_EQ(ReadStartRow(list, s), -1);
  EXPECT_EQ(ReadLengthColumn(list, s), -1);

  WriteBytes(dir_ / "CablelistDefine.ini", "[StartRow]\r\nRowNumber=0\r\n");
  WriteBytes(dir_ / "P/CablelistDefine.ini",
             "[StartRow]\r\nRowNumber=x\r\n[WireBinder]\r\nDIST=0\r\n[ListColumnNumber]\r\nTO_NO=2\r\nNO=6\r\n");
  ASSERT_TRUE(FindDefinitionFile(list, path, s));
  EXPECT_EQ(path, dir_.folder() + u"P/CablelistDefine.ini");  // the plant's beats the root's
  EXPECT_EQ(ReadStartRow(list, s), 1);
  EXPECT_EQ(ReadLengthColumn(list, s), 0);
  std::array<int, 7> order{1, 2, 3, 4, 5, 6, 7};
  ReadListColumnOrder(list, order, s);
  EXPECT_EQ(order, (std::array<int, 7>{6, 2, 3, 4, 5, 2, 7}));  // only the keys given

  WriteBytes(dir_ / "P/F/CablelistDefine.ini", "[StartRow]\r\nRowNumber=4\r\n");
  EXPECT_EQ(ReadStartRow(list, s), 4);  // the project's own wins
  WriteStartRow(list, 9, s);
  EXPECT_EQ(ReadBytes(dir_ / "P/F/CablelistDefine.ini"), "[StartRow]\r\nRowNumber=9\r\n");
}

}  // namespace
