// The removal itself: one step per section of install.log, in the fixed order.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/install_log.h"
#include "uninstall/support/path_identity.h"

// What the steps need from the window that shows their progress.
class RemovalUi {
 public:
  virtual ~RemovalUi() = default;
  virtual void AddStatusLine(const std::string& text) = 0;
  virtual void CompleteStatusLine(const std::string& word) = 0;
  virtual void StepProgress() = 0;
  virtual void SetProgressRange(int maximum) = 0;
  virtual void EnableClose() = 0;
  // The shared-file question: 6 yes, 10 yes to all, 7 no, 9 no to all.
  virtual int AskSharedFile(const std::string& path) = 0;
  virtual HWND Owner() = 0;
};

struct RemovalContext {
  std::string logPath;
  RemovalUi* ui = nullptr;
  std::vector<std::string> sectionLines;
  std::vector<std::string> keptSharedFiles;
  // Folders in which a file mask may not sweep (drive roots always count).
  std::vector<std::string> protectedFolders;
  // The folders no mask may sweep and no created-folder record remove,
  // however a record spells them; and what the records' paths name.
  pathid::ProtectedFolders folderRules;
  pathid::Resolver paths;
  // Created folders that still held the running program when the folder step
  // ran, deepest first: its self-deletion tries them after its own folder.
  std::vector<std::string> foldersAboveProgram;
};

// The whole removal as the removal thread runs it: the stages of the log's
// fixed order (installlog::kRemovalOrder) one after the other. False when a
// program run before the removal stopped it.
bool RunRemoval(RemovalContext& context);

// Starts the program of a PreRunApp or RunApp record; 0 when its file does not exist.
int RunLoggedProgram(RemovalContext& context, const std::string& record);
void DeleteFilesByMask(RemovalContext& context, const std::string& path);

// The system folders a file mask may not sweep: the Windows and system folders.
std::vector<std::string> SystemProtectedFolders();
