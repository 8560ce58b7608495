#include "module/user_session.h"
#include "platform/editor/entity.h"
#include "route/confirm/route_confirmation.h"

using wb::W;

namespace wbtest {
namespace {

class ConfirmRoute : public UserSession {
 protected:
  // From equipment, four wires, To equipment, in a row along x.
  void Chain() {
    from = plant.Equipment({0, 0, 0}, "P1", "ポンプ", "1", "第1設備");
    for (int i = 0; i < 4; ++i)
      wires.push_back(plant.Wire({10.0 * i, 0, 0}, {10.0 * (i + 1), 0, 0}, 10000));
    to = plant.Equipment({40, 0, 0}, "M1", "モータ", "", "第1設備");
    LoadList({Row("C1", "P1", "ポンプ", "1", "M1", "モータ", "")});
  }

  void Confirm(int row) {
    g_pMainDlg->SelectListItem(IDC_CABLELIST, row);
    ASSERT_TRUE(g_pMainDlg->Click(IDC_CONFIRM));
  }

  // Colour and lineweight of each entity as the drawing holds them.
  std::vector<std::pair<int, int>> Looks(const AcDbObjectIdArray& ids) {
    std::vector<std::pair<int, int>> out;
    for (AcDbObjectId id : ids) out.push_back({plant.db->Color(id), plant.db->LineWeight(id)});
    return out;
  }

  AcDbObjectId from, to;
  AcDbObjectIdArray wires;
};

TEST_F(ConfirmRoute, HighlightsTheRouteUntilEnterAndRestoresEveryByte) {
  Chain();
  // Appearances the highlight must give back exactly: padded groups, an
  // explicit "by layer", and none at all.
  plant.db->SetGroup(wires[1], 62, "     3");
  plant.db->SetGroup(wires[1], 370, "    25");
  plant.db->SetGroup(wires[2], 62, "256");
  plant.db->SetGroup(from, 62, "1");  // already the confirmation colour
  // True colours (and a colour book name) would outshine the index.
  plant.db->SetGroup(from, 420, "65280");
  plant.db->SetGroup(wires[0], 62, "5");
  plant.db->SetGroup(wires[0], 420, "255");
  plant.db->SetGroup(wires[0], 430, "DIC COLOR GUIDE(R)$DIC 1");
  const std::string before = plant.db->SaveToString();
  ASSERT_FALSE(plant.db->HeaderValue("$LWDISPLAY"));

  const AcDbObjectIdArray route{from, wires[0], wires[1], wires[2], wires[3], to};
  Confirm(0);
  prompts.Point({5, 5, 0});
  prompts.Point({7, 7, 0});
  prompts.Do([&] {
    EXPECT_EQ(Looks(route), (std::vector<std::pair<int, int>>(6, {1, 30})));
    for (AcDbObjectId id : route) {
      EXPECT_FALSE(plant.db->Group(id, 420));
      EXPECT_FALSE(plant.db->Group(id, 430));
    }
    EXPECT_TRUE(wb::editor::LineWeightDisplay());
    EXPECT_TRUE(g_pMainDlg->Item(IDC_BACK).visible());
    EXPECT_FALSE(g_pMainDlg->Item(IDC_CONFIRM).visible());
  });
  prompts.Enter();
  EXPECT_EQ(RunQueued(), std::vector<wb::WString>{u"QZ_CONFIRTCABLE"});
  EXPECT_EQ(prompts.prompts(),
            std::vector<wb::WString>(3, W("ケーブル情報確認中（終了:Enterキー)\n")));
  EXPECT_EQ(prompts.activations(), 1);
  EXPECT_TRUE(prompts.Idle());
  EXPECT_FALSE(g_pMainDlg->Item(IDC_BACK).visible());
  EXPECT_TRUE(g_pMainDlg->Item(IDC_CONFIRM).visible());
  EXPECT_FALSE(wb::editor::LineWeightDisplay());
  EXPECT_EQ(plant.db->SaveToString(), before);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ConfirmRoute, TheBackButtonEndsItAndWithoutARouteOnlyTheEquipmentLightUp) {
  Chain();
  g_cableSetting.confirmColor = 6;
  g_cableSetting.confirmLineWeight = 370;
  plant.db->SetHeaderValue("$LWDISPLAY", 290, "     0");
  const std::string before = plant.db->SaveToString();
  Confirm(0);
  prompts.Do([&] {
    EXPECT_EQ(Looks({from, to}), (std::vector<std::pair<int, int>>(2, {6, 370})));
    EXPECT_TRUE(g_pMainDlg->Click(IDC_BACK));
  });
  EXPECT_EQ(RunQueued(), (std::vector<wb::WString>{u"QZ_CONFIRTCABLE", u"QZ_BACKCABLE"}));
  EXPECT_EQ(prompts.prompts().size(), 1u);
  EXPECT_EQ(plant.db->SaveToString(), before);
  EXPECT_TRUE(g_pMainDlg->Item(IDC_CONFIRM).visible());

  // A confirmation colour that is no colour index changes the lineweight only.
  for (int color : {300, -1}) {
    g_cableSetting.confirmColor = color;
    Confirm(0);
    prompts.Do([&] {
      EXPECT_EQ(Looks({from, to}), (std::vector<std::pair<int, int>>(2, {256, 370})));
    });
    prompts.Enter();
    RunQueued();
    EXPECT_EQ(plant.db->SaveToString(), before);
  }

  // Without a route only the two equipment light up, until Esc.
  g_cableSetting.confirmColor = 6;
  plant.db->Erase(wires[2]);
  Confirm(0);
  prompts.Do([&] {
    EXPECT_EQ(Looks({from, wires[0], wires[1], wires[3], to}),
              (std::vector<std::pair<int, int>>{{6, 370}, {256, -1}, {256, -1}, {256, -1}, {6, 370}}));
  });
  prompts.Cancel();
  RunQueued();
  EXPECT_EQ(Looks({from, to}), (std::vector<std::pair<int, int>>(2, {256, -1})));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ConfirmRoute, EveryLookupFailureHasItsMessageAndHighlightsNothing) {
  AcDbObjectId f, t;
  AcDbObjectIdArray route{AcDbObjectId{99}};
  auto code = [&](int row) {
    dialogs.Clear();
    g_pMainDlg->m_selectedRow = row;
    return FindCableRoute(f, t, route);
  };
  auto message = [&] { return dialogs.messages().empty() ? wb::WString() : dialogs.messages()[0].text; };

  LoadList({Row("C1", "P1", "ポンプ", "1", "M1", "モータ", ""),
            Row("C2", "X9", "ポンプ", "1", "Y9", "モータ", ""),
            Row("C3", "P1", "ポンプ", "1", "Y9", "モータ", ""),
            Row("C4", "P1", "ポンプ", "1", "M2", "モータ", "")});
  EXPECT_EQ(code(0), kRouteNoElements);
  EXPECT_TRUE(route.empty());
  EXPECT_EQ(message(), W("図面内に対象の要素がありません。"));

  plant.Equipment({0, 0, 0}, "P1", "ポンプ", "1", "第1設備");
  plant.Equipment({40, 0, 0}, "M1", "モータ", "", "第1設備");
  plant.Equipment({80, 0, 0}, "M2", "モータ", "", "第1設備");
  plant.Equipment({90, 0, 0}, "M2", "モータ", "", "第1設備");
  EXPECT_EQ(code(4), kRouteBadRow);
  EXPECT_EQ(message(), W("メモリの範囲外にアクセスしたためエラーが発生しました。"));
  EXPECT_EQ(code(-1), kRouteBadRow);
  EXPECT_EQ(code(1), kRouteNoFrom);  // To is missing as well
  EXPECT_EQ(message(), W("from機器が図面内に存在していないか、\n現在の設備と一致する機器が見つかりません。"));
  EXPECT_EQ(code(2), kRouteNoTo);
  EXPECT_EQ(message(), W("to機器が図面内に存在していません。\n現在の設備と一致する機器が見つかりません。"));
  EXPECT_EQ(code(3), kRouteAmbiguous);
  EXPECT_EQ(message(), W("図面内に同一の記号・名称の機器が存在します。\n記号・名称は図面内でただ一つである必要があります。"));
  EXPECT_EQ(dialogs.messages()[0].type, MB_OK);
  EXPECT_EQ(code(0), kRouteNone);  // found both, nothing joins them
  EXPECT_TRUE(dialogs.messages().empty());

  // The command stops before highlighting or prompting.
  const std::string before = plant.db->SaveToString();
  g_pMainDlg->m_selectedRow = 3;
  wb::editor::CommandStack::Instance().Run(u"QZ_ConfirtCable");
  EXPECT_TRUE(prompts.prompts().empty());
  EXPECT_EQ(plant.db->SaveToString(), before);
}

}  // namespace
}  // namespace wbtest
