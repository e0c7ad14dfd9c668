#include "setup/extraction_handlers.h"

#include <windows.h>

#include <cstring>

#include "common/install_log.h"
#include "setup/extraction_progress.h"
#include "setup/inifiles32.h"
#include "setup/install_records.h"

std::string OemToAnsiStr(const std::string& s) {
  if (s.empty()) return {};
  std::string out(s.size(), '\0');
  OemToCharBuffA(s.data(), out.data(), static_cast<DWORD>(s.size()));
  while (!out.empty() && out.back() == '\0') out.pop_back();
  return out;
}

void TExtractionHandlers::Attach(TRAR& rar) {
  rar.OnExtracting = [this](TRAR* s, RARHeaderData& h) { RARExtracting(s, h); };
  rar.OnProcessData = [this](TRAR* s, char* a, int n, int p) { return RARProcessData(s, a, n, p); };
  rar.OnExtract = [this](TRAR* s, RARHeaderData& h, bool r) { RARExtract(s, h, r); };
  rar.OnError = [this](TRAR* s, int e) { RARError(s, e); };
}

void TExtractionHandlers::RARExtracting(TRAR*, RARHeaderData& eFile) {
  const std::string name = OemToAnsiStr(std::string(eFile.FileName, strnlen(eFile.FileName, sizeof eFile.FileName)));
  unfinished_ = name.empty() ? std::string() : InstallDir + name;
  view_.SetCurrentFile(name);
  // A progress bar holds int; sizes beyond that show as full from the start.
  const int max = eFile.UnpSize > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(eFile.UnpSize);
  view_.SetCurrentBar(0, max, 0);
  view_.ProcessMessages();
}

int TExtractionHandlers::RARProcessData(TRAR*, char*, int, int Position) {
  view_.SetCurrentPosition(Position);
  view_.ProcessMessages();
  return 1;
}

void TExtractionHandlers::RARExtract(TRAR*, RARHeaderData& eFile, bool Result) {
  const std::string name = OemToAnsiStr(std::string(eFile.FileName, sizeof eFile.FileName));
  if (!Result) {
    if (!view_.AskContinue(extraction::FailedFileText(name), std::string(extraction::FailedFileCaption()))) {
      LogUnfinishedMember();
      view_.EndProgram();
    }
    unfinished_.clear();
    return;
  }
  unfinished_.clear();
  ++inst_.DoneFiles;
  // Without a total the percentage means nothing; the bar stays where it is.
  if (inst_.TotalFiles > 0)
    view_.SetTotalPosition(extraction::TotalPercent(inst_.DoneFiles, inst_.TotalFiles, 0));
  if (!inst_.SupportUninstall || !Log) return;
  const std::string path = InstallDir + name;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const bool isFile = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  installrecords::Write(Log, isFile ? installlog::CopyFileRecord(path) : installlog::CreateDirRecord(path));
}

void TExtractionHandlers::RARError(TRAR*, int) {}

void TExtractionHandlers::LogUnfinishedMember() {
  if (unfinished_.empty() || !inst_.SupportUninstall || !Log) return;
  const DWORD attributes = GetFileAttributesA(unfinished_.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  try {
    installrecords::Write(Log, installlog::CopyFileRecord(unfinished_));
  } catch (...) {
    // The program is ending; a log that cannot be written is left as it is.
  }
  unfinished_.clear();
}
