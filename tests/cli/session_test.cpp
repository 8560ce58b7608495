#include "hosts/cli/session.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../files/files_test_util.h"
#include "hosts/cli/batch.h"
#include "hosts/cli/script.h"
#include "platform/qzcomn/config/qzcomn_config.h"

using wb::cli::ParseScript;
using wb::cli::Script;
using wb::cli::ScriptError;
using wb::cli::Session;

namespace {

class Capture : public wb::editor::HostOutput {
 public:
  void Print(const wb::WString& text) override { printed += text; }
  wb::WString printed;
};

std::string Error(const std::string& text) {
  ScriptError error;
  EXPECT_FALSE(ParseScript(text, "s.txt", &error).has_value()) << text;
  return error.ToString();
}

const std::string kPlant = std::string(WB_SOURCE_DIR) + "/examples/plant.dxf";
// The tray right of the sample's MCC, and the listing's row of the last of
// the four cables routed over it (its To sub-number is empty).
const std::string kRoutedWire = "42";
const std::string kRoutedWireCables = "ケーブル (4 本):\n  C-001  CV5.5-3C  From MCC1-1 動力制御盤  To P-101-1";
const std::string kLastCable = "  C-004  CVV2-4C  From MCC1-1 動力制御盤  To M-301 攪拌機モータ\n";

}  // namespace

TEST(Script, ParsesStepsAndNamesTheBadLine) {
  ScriptError error;
  auto script = ParseScript(
      "# a session\n\nopen \"my plant.dxf\"\r\ndialog 104\n  select 237 \"say \\\"hi\\\"\"\n  click 1\nend\n"
      "in 103 click 223\n",
      "s.txt", &error);
  ASSERT_TRUE(script) << error.ToString();
  ASSERT_EQ(script->steps.size(), 3u);
  EXPECT_EQ(script->steps[0].args[0], "my plant.dxf");
  EXPECT_EQ(script->steps[1].line, 4);
  ASSERT_EQ(script->steps[1].body.size(), 2u);
  EXPECT_EQ(script->steps[1].body[0].args[1], "say \"hi\"");
  EXPECT_EQ(script->steps[2].args, (std::vector<std::string>{"103", "click", "223"}));

  EXPECT_EQ(Error("open a.dxf\nfly away\n"), "s.txt:2: unknown step \"fly\"");
  EXPECT_EQ(Error("click 1\n"), "s.txt:1: \"click\" belongs inside a \"dialog\" block");
  EXPECT_EQ(Error("dialog 104\nclick 1\n"), "s.txt:1: \"dialog\" block without \"end\"");
  EXPECT_EQ(Error("dialog 104\nopen x\nend\n"),
            "s.txt:2: \"open\" cannot stand inside a \"dialog\" block (missing \"end\"?)");
  EXPECT_EQ(Error("open\n"), "s.txt:1: wrong number of arguments for \"open\"");
  EXPECT_EQ(Error("open \"x\n"), "s.txt:1: a quoted argument is not closed");
  EXPECT_EQ(Error("end\n"), "s.txt:1: \"end\" without a \"dialog\" block");

  // Quoting round-trips through the parser.
  for (const std::string arg : {"plain", "two words", "q\"uote", "back\\slash", "#hash", ""}) {
    auto s = ParseScript("open " + wb::cli::QuoteArg(arg) + "\n", "q", &error);
    ASSERT_TRUE(s) << arg;
    EXPECT_EQ(s->steps[0].args[0], arg);
  }
}

TEST(Session, RunsTheModuleAndReportsTheFailingLine) {
  wbtest::TempDir dir;
  wbtest::WriteBytes(dir / "wirebinder.ini", "[WireBinder]\r\nOutLog=OFF\r\n");
  QzComn_SetConfigFile(wbtest::U(dir / "wirebinder.ini"));
  const std::string out = dir / "out.dxf";
  {
    Capture output;
    Session session(output);
    ScriptError error;
    auto script = ParseScript("open " + wb::cli::QuoteArg(kPlant) +
                                  "\nconfig ProjectDir " + wb::cli::QuoteArg(dir.path() + "/") +
                                  "\ncommand QZ_WireBinder\nin 103 click 228\nexpect 135\n"
                                  "command QZ_BackCable\nsave " + wb::cli::QuoteArg(out) + "\n",
                              "ok.txt", &error);
    ASSERT_TRUE(script) << error.ToString();
    ASSERT_TRUE(session.Run(*script)) << session.error().ToString();
    ASSERT_EQ(session.messages().size(), 1u);
  }
  // Nothing was changed, so the drawing is saved as it was read; the
  // session's settings went to a copy.
  EXPECT_EQ(wbtest::ReadBytes(out), wbtest::ReadBytes(kPlant));
  EXPECT_EQ(wbtest::ReadBytes(dir / "wirebinder.ini"), "[WireBinder]\r\nOutLog=OFF\r\n");

  auto fails = [&](const std::string& text) {
    Capture output;
    Session session(output);
    ScriptError error;
    auto script = ParseScript(text, "bad.txt", &error);
    EXPECT_TRUE(script) << error.ToString();
    EXPECT_FALSE(session.Run(*script));
    return session.error().ToString();
  };
  wbtest::WriteBytes(dir / "broken.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nnot a number\n");
  EXPECT_NE(fails("open " + wb::cli::QuoteArg(dir / "broken.dxf") + "\n").find("broken.dxf:"),
            std::string::npos);
  EXPECT_EQ(fails("command QZ_WireBinder\nin 103 click 228\nexpect 134\n").substr(0, 10),
            "bad.txt:3:");
  EXPECT_EQ(fails("command QZ_WireBinder\nin 103 click 999\n"),
            "bad.txt:2: dialog 103 has no control 999");
  EXPECT_EQ(fails("in 103 click 228\n"), "bad.txt:1: dialog 103 is not open");
  EXPECT_EQ(fails("answer yes\n"),
            "bad.txt:1: the script prepared dialog actions, answers, picks or files that were never used");
  QzComn_SetConfigFile(u"");
}

TEST(Batch, AssignScriptParsesAndCarriesEveryOption) {
  wb::cli::AssignRequest r{{"/d/p.dxf", "/root", "P 1", "F", "/l.csv", 4}, "", true, true};
  ScriptError error;
  auto script = ParseScript(wb::cli::AssignScript(r), "assign", &error);
  ASSERT_TRUE(script) << error.ToString();
  std::string all = wb::cli::AssignScript(r);
  EXPECT_NE(all.find("config ProjectDir /root/\n"), std::string::npos);
  EXPECT_NE(all.find("select 237 \"P 1\"\n"), std::string::npos);
  EXPECT_NE(all.find("type 268 4\n"), std::string::npos);
  EXPECT_NE(all.find("config OutLog ON\n"), std::string::npos);
  EXPECT_NE(all.find("click 229\nexpect 141\n"), std::string::npos);
  EXPECT_EQ(script->steps.back().verb, "save");
  EXPECT_TRUE(script->steps.back().args.empty());
}

namespace {

// A copy of the sample project in a scratch folder.
struct SampleProject {
  SampleProject() {
    std::filesystem::copy(std::string(WB_SOURCE_DIR) + "/examples", dir.path(),
                          std::filesystem::copy_options::recursive);
    std::filesystem::create_directories(dir / "projects/PLANT1/第1設備");
    wbtest::WriteBytes(dir / "wirebinder.ini", "");
    QzComn_SetConfigFile(wbtest::U(dir / "wirebinder.ini"));
  }
  ~SampleProject() { QzComn_SetConfigFile(u""); }
  std::string operator/(const std::string& name) const { return dir / name; }
  // The drawing `name` with the sample project PLANT1/第1設備 and its list.
  wb::cli::ProjectLoad Load(const std::string& name) const {
    return {dir / name, dir / "projects", "PLANT1", "第1設備", dir / "cables.csv", {}};
  }
  std::string Run(const std::string& text) {
    Capture output;
    Session session(output);
    ScriptError error;
    auto script = ParseScript(text, "t", &error);
    if (!script) return error.ToString();
    const bool done = session.Run(*script);
    printed = wb::Utf16ToUtf8(output.printed);
    return done ? "" : session.error().ToString();
  }
  std::string printed;  // the command line of the last run
  wbtest::TempDir dir;
};

}  // namespace

TEST(Batch, ARecordedSessionGivesWhatTheBatchCommandsGive) {
  SampleProject batch;
  wb::cli::MarkRequest mark{batch.Load("plant.dxf"), batch / "marked.dxf", {{"CP1", "D5"}}};
  ASSERT_EQ(batch.Run(wb::cli::MarkScript(mark)), "");
  wb::cli::AssignRequest assign{batch.Load("marked.dxf"), batch / "out.dxf", true, true};
  ASSERT_EQ(batch.Run(wb::cli::AssignScript(assign)), "");

  // The same work as one session, the way a user records it.
  SampleProject recorded;
  const std::string d = recorded.dir.path();
  const std::string session =
      "open " + d + "/plant.dxf\n"
      "system-folder /\n"
      "config ProjectDir " + d + "/projects/\n"
      "config OutLog ON\n"
      "command QZ_WireBinder\n"
      "dialog 104\n  select 237 PLANT1\n  select 238 第1設備\n  click 1\nend\n"
      "file " + d + "/cables.csv\n"
      "dialog 163\n  click 1\nend\n"
      "in 103 click 223\n"
      "expect 111\n"
      "in 103 click 226\n"
      "in 130 item 238 CP1\n"
      "pick -3000,0\n"  // a click on the panel rather than its handle
      "in 130 click 1\n"
      "in 130 close\n"
      "answer yes\n"
      "in 103 click 228\n"
      "expect 134\n"
      "in 103 click 229\n"
      "expect 141\n"
      "save " + d + "/out.dxf\n"
      // Undo steps back over the assignment, then the mark; redo returns.
      "command U\nsave " + d + "/unassigned.dxf\n"
      "command UNDO\nsave " + d + "/unmarked.dxf\n"
      "command REDO\ncommand REDO\ncommand REDO\nsave " + d + "/redone.dxf\n"
      "objects " + kRoutedWire + "\ncommand LIST\n";
  ASSERT_EQ(recorded.Run(session), "");
  EXPECT_EQ(wbtest::ReadBytes(recorded.dir / "unassigned.dxf"), wbtest::ReadBytes(batch.dir / "marked.dxf"));
  EXPECT_EQ(wbtest::ReadBytes(recorded.dir / "unmarked.dxf"), wbtest::ReadBytes(recorded.dir / "plant.dxf"));
  EXPECT_EQ(wbtest::ReadBytes(recorded.dir / "redone.dxf"), wbtest::ReadBytes(recorded.dir / "out.dxf"));
  EXPECT_NE(recorded.printed.find("やり直す操作はありません。"), std::string::npos);
  EXPECT_NE(recorded.printed.find(kRoutedWireCables), std::string::npos) << recorded.printed;
  EXPECT_NE(recorded.printed.find(kLastCable), std::string::npos);

  const std::string drawing = wbtest::ReadBytes(recorded.dir / "out.dxf");
  EXPECT_EQ(drawing, wbtest::ReadBytes(batch.dir / "out.dxf"));
  EXPECT_NE(drawing, wbtest::ReadBytes(recorded.dir / "plant.dxf"));
  const std::string exported = "projects/PLANT1/第1設備/Cablelist.csv";
  EXPECT_EQ(wbtest::ReadBytes(recorded.dir / exported), wbtest::ReadBytes(batch.dir / exported));
  EXPECT_NE(wbtest::ReadBytes(recorded.dir / "projects/log.csv"), "");
}

TEST(Batch, ConfirmShowsTheRouteAndAnnotateDrawsTheFrame) {
  SampleProject p;
  wb::cli::AssignRequest assign{p.Load("plant.dxf"), p / "assigned.dxf", false, false};
  ASSERT_EQ(p.Run(wb::cli::AssignScript(assign)), "");
  const std::string assigned = wbtest::ReadBytes(p / "assigned.dxf");

  wb::cli::ConfirmRequest confirm{p.Load("assigned.dxf"), 3, p / "shown.dxf"};
  Capture output;
  {
    Session session(output);
    ScriptError error;
    auto script = ParseScript(wb::cli::ConfirmScript(confirm), "confirm", &error);
    ASSERT_TRUE(script) << error.ToString();
    ASSERT_TRUE(session.Run(*script)) << session.error().ToString();
  }
  // Row 3 runs from the MCC to the fan; the drawing is left as it was.
  const std::string printed = wb::Utf16ToUtf8(output.printed);
  EXPECT_EQ(printed.find("highlighted 39 KK-MCC\n"), 0u) << printed;
  EXPECT_NE(printed.find(" KK-FAN\n"), std::string::npos) << printed;
  EXPECT_EQ(printed.find("KK-PUMP"), std::string::npos) << printed;
  EXPECT_EQ(wbtest::ReadBytes(p / "assigned.dxf"), assigned);
  EXPECT_NE(wbtest::ReadBytes(p / "shown.dxf"), assigned);

  wb::cli::AnnotateRequest annotate{p / "assigned.dxf", "42", "1000,1500", "2000,2500", true, true,
                                    p / "annotated.dxf"};
  ASSERT_EQ(p.Run(wb::cli::AnnotateScript(annotate)), "");
  const std::string annotated = wbtest::ReadBytes(p / "annotated.dxf");
  EXPECT_NE(annotated.find("MWNT0001"), std::string::npos);
  EXPECT_NE(annotated.find("MCC1 F-201 C-003 CV14-3C"), std::string::npos);
}

TEST(Batch, DeletionsAndASaveThatWouldLoseTheScriptsIntent) {
  SampleProject p;
  wb::cli::MarkRequest mark{p.Load("plant.dxf"), p / "marked.dxf", {{"CP1", "D5"}}};
  ASSERT_EQ(p.Run(wb::cli::MarkScript(mark)), "");
  const std::string marked = wbtest::ReadBytes(p / "marked.dxf");
  ASSERT_NE(marked.find("CP1 1"), std::string::npos);

  // The mark text goes with the keys on its equipment; other marks stay.
  wb::cli::DeleteRequest marks{p / "marked.dxf", {"D5"}, p / "unmarked.dxf"};
  ASSERT_EQ(p.Run(wb::cli::DeleteMarksScript(marks)), "");
  const std::string unmarked = wbtest::ReadBytes(p / "unmarked.dxf");
  EXPECT_EQ(unmarked.find("CP1 1"), std::string::npos);
  EXPECT_EQ(unmarked.find("CB01|CP1|"), std::string::npos);
  EXPECT_NE(unmarked.find("CB01|MCC1|"), std::string::npos);

  wb::cli::AssignRequest assign{p.Load("plant.dxf"), p / "assigned.dxf", false, false};
  ASSERT_EQ(p.Run(wb::cli::AssignScript(assign)), "");
  wb::cli::DeleteRequest attributes{p / "assigned.dxf", {"42", "4A"}, p / "bare.dxf"};
  ASSERT_EQ(p.Run(wb::cli::DeleteAttributesScript(attributes)), "");
  const std::string assigned = wbtest::ReadBytes(p / "assigned.dxf");
  const std::string bare = wbtest::ReadBytes(p / "bare.dxf");
  // The two wires lose their cable keys; the length keys stay.
  auto count = [](const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count(bare, "CB08|"), count(assigned, "CB08|") - 2);
  EXPECT_EQ(count(bare, "CB09|"), count(assigned, "CB09|"));

  // An answer left over: nothing is saved.
  const std::string before = wbtest::ReadBytes(p / "plant.dxf");
  EXPECT_EQ(p.Run("open " + p / "plant.dxf" + "\npick 42\nsave\n"),
            "t:3: not saved: the script prepared dialog actions, answers, picks or files that were "
            "never used");
  EXPECT_EQ(wbtest::ReadBytes(p / "plant.dxf"), before);
}

TEST(Batch, SettingsGoThroughTheDetailedSettingsDialog) {
  wbtest::TempDir dir;
  const std::string ini = dir / "wirebinder.ini";
  QzComn_SetConfigFile(wbtest::U(ini));
  auto run = [&](const std::vector<std::pair<std::string, std::string>>& values) {
    std::string problem;
    const std::string text = wb::cli::SettingsScript(values, problem);
    if (!problem.empty()) return problem;
    Capture output;
    Session session(output);
    ScriptError error;
    auto script = ParseScript(text, "settings", &error);
    if (!script) return error.ToString();
    return session.Run(*script) ? std::string() : session.error().ToString();
  };
  // The button is there only where the installer switched it on.
  wbtest::WriteBytes(ini, "[WireBinder]\r\n");
  EXPECT_EQ(run({{"KIGO_HEIGHT", "3.5"}}), "settings:7: control 243 of dialog 103 is hidden");
  EXPECT_EQ(wbtest::ReadBytes(ini), "[WireBinder]\r\n");

  wbtest::WriteBytes(ini, "[WireBinder]\r\nShowOptionButton=ON\r\n");
  EXPECT_EQ(run({{"NO_DRAW", "Off"}, {"KIGO_HEIGHT", "3.5"}, {"CONFIRM_COLOR", "5"}}), "");
  const std::string saved = wbtest::ReadBytes(ini);
  EXPECT_NE(saved.find("KIGO_HEIGHT=3.5\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("CONFIRM_COLOR=5\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("NO_DRAW=OFF\r\n"), std::string::npos) << saved;

  // A bad value is refused by the dialog and nothing changes.
  EXPECT_NE(run({{"KIGO_HEIGHT", "abc"}}).find("expected message 150"), std::string::npos);
  EXPECT_EQ(wbtest::ReadBytes(ini), saved);
  EXPECT_EQ(run({{"NO_DRAW", "maybe"}}), "NO_DRAW takes ON or OFF");
  EXPECT_EQ(run({{"COLOUR", "1"}}).rfind("unknown setting COLOUR", 0), 0u);
  QzComn_SetConfigFile(u"");
}
