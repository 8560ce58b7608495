// The batch commands of the command-line host, written as the session
// scripts a user would record for the same work.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace wb::cli {

// A drawing and the project whose cable list is loaded into the main dialog
// through the project dialog, as the batch commands that need one start.
struct ProjectLoad {
  std::string drawing;
  std::string projectRoot;
  std::string plant;
  std::string facility;
  std::string list;
  std::optional<int> startRow;  // the definition file's row when absent
};

struct AssignRequest {
  ProjectLoad project;
  std::string output;  // empty: save in place
  bool exportList = false;
  bool log = false;
};

std::string AssignScript(const AssignRequest& request);

// Marks equipment from the loaded cable list: each entry names the list row
// ("MARK", "MARK/SUBNO" or "MARK/SUBNO/NAME") and the equipment (a handle or
// a point x,y), as "MARK/SUBNO=TARGET".
struct MarkRequest {
  ProjectLoad project;
  std::string output;
  std::vector<std::pair<std::string, std::string>> marks;  // row, target
};

std::string MarkScript(const MarkRequest& request);

// Shows the route of one row of the cable list; reports the highlighted
// elements and, with `snapshot`, saves the drawing as it is shown.
struct ConfirmRequest {
  ProjectLoad project;
  int row = 1;  // 1-based row of the list
  std::string snapshot;
};

std::string ConfirmScript(const ConfirmRequest& request);

// Opens the drawing and loads the project, as the route sheets start: the
// host then reads the loaded list.
std::string LoadProjectScript(const ProjectLoad& project);

// Annotates one wire: picked by handle or point, the leader's end and the
// point that places the frame.
struct AnnotateRequest {
  std::string drawing;
  std::string wire;
  std::string leaderEnd;  // x,y
  std::string framePoint;  // x,y
  bool fromTo = false;
  bool cableNumber = false;
  std::string output;
};

std::string AnnotateScript(const AnnotateRequest& request);

// Deletes marks (picked by their text or their equipment) or the cable
// attributes of elements.
struct DeleteRequest {
  std::string drawing;
  std::vector<std::string> targets;  // handles, or points x,y for marks
  std::string output;
};

std::string DeleteMarksScript(const DeleteRequest& request);
std::string DeleteAttributesScript(const DeleteRequest& request);

// Changes drawing settings through the detailed-settings dialog: each entry
// is a key of the module configuration ("KIGO_HEIGHT", "NO_DRAW", ...) and
// its new value. Empty `problem` on success, else what is wrong.
std::string SettingsScript(const std::vector<std::pair<std::string, std::string>>& values,
                           std::string& problem);

struct ProjectRequest {
  bool create = true;  // false: delete
  std::string projectRoot;
  std::string plant;
  std::string facility;
};

std::string ProjectScript(const ProjectRequest& request);

// Folder text as the module's settings keep it: with a trailing separator.
std::string AsFolder(const std::string& path);

}  // namespace wb::cli
