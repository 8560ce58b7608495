#include "hosts/cli/session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "../files/files_test_util.h"
#include "hosts/cli/batch.h"
#include "hosts/cli/script.h"
#include "platform/qzcomn/config/qzcomn_config.h"

using wb::cli::ParseScript;
using wb::cli::Script;
using wb::cli::ScriptError;
using wb::cli::Session;

namespace {

#ifdef WB_WITH_PAPER
constexpr bool kPaper = true;
#else
constexpr bool kPaper = false;
#endif

struct Silent : wb::editor::HostOutput {
  void Print(const wb::WString&) override {}
};

// Runs a script in a fresh session: empty when every step was done, else
// the error.
std::string RunScript(const std::string& text) {
  Silent output;
  Session session(output);
  ScriptError error;
  auto script = ParseScript(text, "t", &error);
  if (!script) return error.ToString();
  return session.Run(*script) ? "" : session.error().ToString();
}

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
  wb::cli::ProjectLoad Load(const std::string& name, const std::string& plant = "PLANT1",
                            const std::string& list = "cables.csv") const {
    return {dir / name, dir / "projects", plant, "第1設備", dir / list, {}};
  }
  wbtest::TempDir dir;
};

}  // namespace

TEST(Session, ParsesStepsRunsTheModuleAndReportsTheFailingLine) {
  SampleProject p;
  wbtest::WriteBytes(p / "broken.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nnot a number\n");
  EXPECT_NE(RunScript("open " + wb::cli::QuoteArg(p / "broken.dxf") + "\n").find("broken.dxf:"),
            std::string::npos);
  EXPECT_EQ(RunScript("command QZ_WireBinder\nin 103 click 228\nexpect 134\n").substr(0, 4), "t:3:");

  // Each step names what it takes when its arguments make no sense; a batch
  // command's failed step is named in the user's terms, and its arguments
  // keep their line breaks.
  std::string list = wbtest::ReadBytes(p / "cables.csv");
  wbtest::WriteBytes(p / "two\nlines.csv", list);
  list.replace(list.find("C-002"), 5, "C-\x80\x80");
  wbtest::WriteBytes(p / "bad.csv", list);
  const std::string kMain = "command QZ_WireBinder\nin 103 ";
  const std::pair<std::string, std::string> refused[] = {
      {"command QZ_WireBinder\nin 103 click 999\n", "t:2: dialog 103 has no control 999"},
      {"in 103 click 228\n", "t:1: dialog 103 is not open"},
      {"command QZ_WireBinder\nin 103 close\nin 103 click 231\n", "t:3: dialog 103 is hidden"},
      {"answer yes\n", "t:1: the script prepared dialog actions, answers, picks or files that were never used"},
      {"answer maybe\n", "t:1: answer takes yes, no, ok or cancel"},
      {"pick nowhere\n", "t:1: pick takes a handle or a point x,y"},
      {"point 1\n", "t:1: point takes x,y or x,y,z"},
      {"color 300\n", "t:1: color takes a colour number from 0 to 256 (256: by layer), or cancel"},
      {"unanswered maybe\n", "t:1: unanswered takes cancel or fail"},
      {"objects 42,zz\n", "t:1: objects takes handles separated by commas"},
      {"drag 1\n", "t:1: drag takes x,y (a pick), move x,y, or cancel"},
      {"meanwhile fly\n", "t:1: meanwhile takes: in DIALOG ACTION..., save FILE, or highlighted"},
      {"expect x\n", "t:1: expect takes a message number"},
      {"dialog x\nend\n", "t:1: \"x\" is not a dialog ID"},
      {"show 5\n", "t:1: show takes the ID of a list of the main dialog"},
      {"save\n", "t:1: no drawing is open"},
      // An answer left over: nothing is saved.
      {"open " + wb::cli::QuoteArg(kPlant) + "\npick 42\nsave\n",
       "t:3: not saved: the script prepared dialog actions, answers, picks or files that were never used"},
      {"color cancel\ndrag cancel\ndrag move 1,2\n",
       "t:3: the script prepared dialog actions, answers, picks or files that were never used"},
      {kMain + "click x\n", "t:2: \"x\" is not a control ID"},
      {kMain + "check 228 maybe\n", "t:2: check takes on or off"},
      {kMain + "row 228 x\n", "t:2: \"x\" is not a row number"},
      {kMain + "columns 228 a\n", "t:2: columns takes a list like 1,3,2"},
      {kMain + "select 228 none\n", "t:2: control 228 has no entry \"none\""},
      {kMain + "item 228 none\n", "t:2: list 228 has no row \"none\""},
      {wb::cli::AssignScript({p.Load("plant.dxf", "PLANT1", "two\nlines.csv"), p / "out.dxf"}), ""},
      {wb::cli::AssignScript({p.Load("plant.dxf", "PLANT1", "bad.csv"), p / "out.dxf"}),
       "the cable list was refused: " + p / "bad.csv" + ":4: not text in code page 932"},
      {wb::cli::AssignScript({p.Load("plant.dxf", "NO\nPE"), p / "out.dxf"}),
       "the project NO\nPE/第1設備 was not found in " + p / "projects/" +
           ": control 237 has no entry \"NO\nPE\""},
      {wb::cli::MarkScript({p.Load("plant.dxf"), p / "out.dxf", {{"CP9", "D5"}}}),
       "--set CP9=D5 was not done: list 238 has no row \"CP9\""},
      {wb::cli::AssignScript({p.Load("plant.dxf"), p / "gone/out.dxf"}),
       "the drawing was not saved: " + p / "gone/out.dxf" + ": cannot create a temporary file in " +
           p / "gone" + ": No such file or directory"},
  };
  for (const auto& [script, error] : refused) EXPECT_EQ(RunScript(script), error) << script;

  // Parsing: comments, blank lines and CR LF line ends count as lines; a
  // dialog block holds the steps taken in the dialog.
  ScriptError error;
  auto script = ParseScript("# a session\n\nopen \"my plant.dxf\"\r\ndialog 104\n  select 237 \"say \\\"hi\\\"\"\nend\n",
                            "s.txt", &error);
  ASSERT_TRUE(script) << error.ToString();
  ASSERT_EQ(script->steps.size(), 2u);
  EXPECT_EQ(script->steps[0].args[0], "my plant.dxf");
  EXPECT_EQ(script->steps[1].line, 4);
  EXPECT_EQ(script->steps[1].body.at(0).args.at(1), "say \"hi\"");

  EXPECT_EQ(Error("open a.dxf\nfly away\n"), "s.txt:2: unknown step \"fly\"");
  EXPECT_EQ(Error("click 1\n"), "s.txt:1: \"click\" belongs inside a \"dialog\" block");
  EXPECT_EQ(Error("dialog 104\nclick 1\n"), "s.txt:1: \"dialog\" block without \"end\"");
  EXPECT_EQ(Error("dialog 104\nopen x\nend\n"),
            "s.txt:2: \"open\" cannot stand inside a \"dialog\" block (missing \"end\"?)");
  EXPECT_EQ(Error("open\n"), "s.txt:1: wrong number of arguments for \"open\"");
  EXPECT_EQ(Error("open \"x\n"), "s.txt:1: a quoted argument is not closed");
  EXPECT_EQ(Error("end\n"), "s.txt:1: \"end\" without a \"dialog\" block");

  // Quoting round-trips through the parser.
  for (const std::string arg : {"plain", "two words", "q\"uote", "back\\slash", "#hash", "",
                                "line\nbreak", "cr\r\nlf\\\n", "end\\"}) {
    auto s = ParseScript("open " + wb::cli::QuoteArg(arg) + "\n", "q", &error);
    ASSERT_TRUE(s) << arg;
    EXPECT_EQ(s->steps[0].args[0], arg);
  }
}

TEST(Batch, SettingsGoThroughTheDetailedSettingsDialog) {
  wbtest::TempDir dir;
  const std::string ini = dir / "wirebinder.ini";
  QzComn_SetConfigFile(wbtest::U(ini));
  auto run = [&](const std::vector<std::pair<std::string, std::string>>& values) {
    std::string problem;
    const std::string text = wb::cli::SettingsScript(values, problem);
    return problem.empty() ? RunScript(text) : problem;
  };
  // The button is there only where the installer switched it on.
  wbtest::WriteBytes(ini, "[WireBinder]\r\n");
  EXPECT_EQ(run({{"KIGO_HEIGHT", "3.5"}}),
            "the detailed settings are not offered here (ShowOptionButton is not ON): control 243 "
            "of dialog 103 is hidden");
  EXPECT_EQ(wbtest::ReadBytes(ini), "[WireBinder]\r\n");

  wbtest::WriteBytes(ini, "[WireBinder]\r\nShowOptionButton=ON\r\n");
  EXPECT_EQ(run({{"NO_DRAW", "Off"}, {"KIGO_HEIGHT", "3.5"}, {"CONFIRM_COLOR", "5"}}), "");
  const std::string saved = wbtest::ReadBytes(ini);
  EXPECT_NE(saved.find("KIGO_HEIGHT=3.5\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("CONFIRM_COLOR=5\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("NO_DRAW=OFF\r\n"), std::string::npos) << saved;

  // A bad value is refused by the dialog and nothing changes.
  EXPECT_EQ(run({{"KIGO_HEIGHT", "abc"}}).rfind("the settings were refused: ", 0), 0u);
  EXPECT_EQ(wbtest::ReadBytes(ini), saved);
  EXPECT_EQ(run({{"NO_DRAW", "maybe"}}), "NO_DRAW takes ON or OFF");
  QzComn_SetConfigFile(u"");
}

// The program as a user runs it: each command's options reach its script,
// and what is wrong with them is said before anything runs.
TEST(CommandLine, EachCommandThroughTheProgram) {
  SampleProject p;
  setenv("WIREBINDER_CONFIG", (p / "wirebinder.ini").c_str(), 1);
  wbtest::WriteBytes(p / "bad.txt", "fly away\n");
  wbtest::WriteBytes(p / "closed.txt", "in 103 click 1\n");
  // The mark and the assignment as a user records them: they give what the
  // batch commands give, undo steps back over each, redo returns.
  const std::string d = p.dir.path();
  wbtest::WriteBytes(p / "session.txt",
                     "open " + d + "/plant.dxf\nsystem-folder /\nconfig ProjectDir " + d + "/projects/\n"
                     "command QZ_WireBinder\n"
                     "dialog 104\n  select 237 PLANT1\n  select 238 第1設備\n  click 1\nend\n"
                     "file " + d + "/cables.csv\ndialog 163\n  click 1\nend\nin 103 click 223\nexpect 111\n"
                     "in 103 click 226\nin 130 item 238 CP1\n"
                     "pick -3000,0\n"  // a click on the panel rather than its handle
                     "in 130 click 1\nin 130 close\nanswer yes\nin 103 click 228\nexpect 134\n"
                     "save " + d + "/out.dxf\n"
                     "command U\nsave " + d + "/unassigned.dxf\n"
                     "command UNDO\nsave " + d + "/undone.dxf\n"
                     "command REDO\ncommand REDO\ncommand REDO\nsave " + d + "/redone.dxf\n"
                     "objects " + kRoutedWire + "\ncommand LIST\n");
  const std::string project = " --project-root projects --plant PLANT1 --facility 第1設備 --list cables.csv";
  const std::string shots = WB_BINARY_DIR "/screenshots";
  std::filesystem::create_directories(shots);
  // A generated plant, whose long routes fill whole columns of a sheet.
  int status = 0;
  wbtest::Run("/usr/bin/python3 " WB_SOURCE_DIR "/tools/make_plant.py --elements 400 --cables 40 --seed 7 --marked "
              "--facility F " + p / "gen/G/F", &status);
  ASSERT_EQ(status, 0);
  const struct {
    std::string args, output;
    int status;
  } runs[] = {
      {"mark plant.dxf" + project + " --set CP1", "--set CP1: expected MARK=TARGET", 2},
      {"mark plant.dxf" + project + " --set CP1=D5 -o marked.dxf", "", 0},
      {"-q assign marked.dxf" + project + " -o assigned.dxf", "", 0},
      {"confirm assigned.dxf" + project + " --row 3 --snapshot shown.dxf", "highlighted 39 KK-MCC\n", 0},
      {"annotate assigned.dxf --wire 42 --leader 1000,1500 --at 2000,2500 --from-to --cable-number -o annotated.dxf", "", 0},
      {"delete-marks marked.dxf --pick D5 -o unmarked.dxf", "", 0},
      {"delete-attributes assigned.dxf --handles 42 -o bare.dxf", "", 0},
      {"settings --set KIGO_HEIGHT", "--set KIGO_HEIGHT: expected KEY=VALUE", 2},
      {"settings --set COLOUR=1", "unknown setting COLOUR", 2},
      {"--print-script project create --project-root projects --plant NEW --facility F", "# new project", 0},
      {"project create --project-root projects --plant NEW --facility F", "", 0},
      {"project delete --project-root projects --plant NEW --facility F", "", 0},
      // The plain drawing on paper: route sheets and a plot where Qt is.
      {"-q assign plant.dxf" + project + " -o exported.dxf --export --log", "", 0},
      {"-q sheets plant.dxf" + project + " -o routes.pdf", kPaper ? "" : "needs a build with Qt", !kPaper},
      {"-q plot plant.dxf --paper A3 --dpi 60 -o " + shots + "/plot_plant.png",
       kPaper ? "" : "needs a build with Qt", !kPaper},
      {"-q sheets gen/G/F/plant.dxf --project-root gen --plant G --facility F --list gen/G/F/cablelist.csv -o gen.pdf",
       kPaper ? "" : "needs a build with Qt", !kPaper},
      {"script bad.txt", "bad.txt:1: unknown step \"fly\"", 2},
      {"script closed.txt", "closed.txt:1: dialog 103 is not open", 1},
      {"script session.txt", kRoutedWireCables, 0},
  };
  std::vector<std::string> outputs;
  for (const auto& run : runs) {
    const std::string output =
        wbtest::Run("cd '" + p.dir.path() + "' && " WB_BINARY_DIR "/src/hosts/cli/wirebinder " + run.args, &status);
    EXPECT_EQ(WEXITSTATUS(status), run.status) << run.args << "\n" << output;
    EXPECT_NE(output.find(run.output), std::string::npos) << run.args << "\n" << output;
    outputs.push_back(output);
  }
  auto count = [&](const std::string& file, const std::string& what) {
    const std::string text = wbtest::ReadBytes(p / file);
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  };
  // The confirmation leaves the drawing as it was; the annotation lists the
  // wire's cables; a deleted mark takes its keys along, other marks stay;
  // the wire loses its cable keys, not its length keys.
  // Row 3 runs from the MCC to the fan.
  EXPECT_NE(outputs[3].find(" KK-FAN\n"), std::string::npos);
  EXPECT_EQ(outputs[3].find("KK-PUMP"), std::string::npos);
  EXPECT_NE(wbtest::ReadBytes(p / "shown.dxf"), wbtest::ReadBytes(p / "assigned.dxf"));
  EXPECT_EQ(count("annotated.dxf", "MCC1 F-201 C-003 CV14-3C"), 1u);
  EXPECT_EQ(count("unmarked.dxf", "CB01|CP1|") + count("unmarked.dxf", "CP1 1"), 0u);
  EXPECT_GT(count("marked.dxf", "CB01|CP1|"), 0u);
  EXPECT_GT(count("unmarked.dxf", "CB01|MCC1|"), 0u);
  EXPECT_EQ(count("bare.dxf", "CB08|"), count("assigned.dxf", "CB08|") - 1);
  EXPECT_EQ(count("bare.dxf", "CB09|"), count("assigned.dxf", "CB09|"));
  EXPECT_EQ(wbtest::ReadBytes(p / "out.dxf"), wbtest::ReadBytes(p / "assigned.dxf"));
  EXPECT_EQ(wbtest::ReadBytes(p / "unassigned.dxf"), wbtest::ReadBytes(p / "marked.dxf"));
  EXPECT_EQ(wbtest::ReadBytes(p / "undone.dxf"), wbtest::ReadBytes(p / "plant.dxf"));
  EXPECT_EQ(wbtest::ReadBytes(p / "redone.dxf"), wbtest::ReadBytes(p / "out.dxf"));
  EXPECT_NE(outputs.back().find("やり直す操作はありません。"), std::string::npos);
  EXPECT_NE(outputs.back().find(kLastCable), std::string::npos);
  EXPECT_EQ(wbtest::ReadBytes(p / "wirebinder.ini"), "");  // a session's settings go to a copy
  EXPECT_FALSE(std::filesystem::exists(p / "projects/NEW/F"));
  EXPECT_TRUE(std::filesystem::exists(p / "projects/NEW"));
  unsetenv("WIREBINDER_CONFIG");
  EXPECT_EQ(wbtest::ReadBytes(p / "plant.dxf"), wbtest::ReadBytes(WB_SOURCE_DIR "/examples/plant.dxf"));
  EXPECT_EQ(wbtest::ReadBytes(p / "projects/log.csv").rfind("***** ", 0), 0u);
  if (!kPaper) return;
  // The sheets agree with the export: the summary gives every row its
  // length or the reason it has none, and each routed cable a page of its own.
  int routed = 0;
  const std::string sheets = wbtest::Run("pdftotext -layout " + p / "routes.pdf" + " -", &status);
  std::istringstream exported(wbtest::ReadBytes(p / "projects/PLANT1/第1設備/Cablelist.csv"));
  for (std::string line; std::getline(exported, line);) {
    if (line.rfind("C-", 0) != 0) continue;
    const std::string number = line.substr(0, line.find(',')) + " ";
    const std::string length = line.substr(line.rfind(',') + 1, line.size() - line.rfind(',') - 2);
    const size_t at = sheets.find(" " + number);
    ASSERT_NE(at, std::string::npos) << number;
    const std::string summary = sheets.substr(at, sheets.find('\n', at) - at);
    EXPECT_NE(summary.find(length.empty() ? "見つかりません" : " " + length + " "), std::string::npos) << summary;
    if (length.empty()) continue;
    ++routed;
    EXPECT_NE(sheets.find("ケーブル番号 " + number), std::string::npos) << number;
    EXPECT_NE(sheets.find(length + " m\n"), std::string::npos) << number;
  }
  EXPECT_NE(sheets.find("経路あり " + std::to_string(routed) + " / 7 本"), std::string::npos) << sheets;
  EXPECT_EQ(std::count(sheets.begin(), sheets.end(), '\f'), 1 + routed);
  for (const auto& [page, name] : {std::pair{"1", "summary"}, {"2", "route"}})
    wbtest::Run(std::string("pdftoppm -png -r 80 -singlefile -f ") + page + " -l " + page + " " + p / "routes.pdf" +
                    " " + shots + "/sheets_" + name, &status);
}
