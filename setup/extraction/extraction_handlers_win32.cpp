#include "setup/extraction/extraction_handlers.h"

#include <windows.h>

#include <cstring>

#include "common/install_log.h"
#include "setup/extraction/extraction_progress.h"
#include "setup/run/inifiles32.h"
#include "setup/run/install_records.h"

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

namespace {

// The member's name in UTF-16: from the library's extended header where it
// gives one, else from the OEM name of the short header.
std::wstring WideName(const TRAR* rar, const RARHeaderData& eFile) {
  if (rar && !rar->CurrentNameW().empty()) return rar->CurrentNameW();
  const int len = static_cast<int>(strnlen(eFile.FileName, sizeof eFile.FileName));
  if (len == 0) return {};
  int n = MultiByteToWideChar(CP_OEMCP, 0, eFile.FileName, len, nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_OEMCP, 0, eFile.FileName, len, w.data(), n);
  return w;
}

}  // namespace

void TExtractionHandlers::RARExtracting(TRAR* Sender, RARHeaderData& eFile) {
  const std::string name = OemToAnsiStr(std::string(eFile.FileName, strnlen(eFile.FileName, sizeof eFile.FileName)));
  if (Logging()) {
    members_.SetInstallDir(InstallDir);
    members_.Begin(WideName(Sender, eFile), (eFile.Flags & RHDF_DIRECTORY) == RHDF_DIRECTORY);
    unfinished_ = true;
  }
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

void TExtractionHandlers::LogCreatedFolders(const TMemberLog::TOutcome& outcome) {
  for (const std::string& folder : outcome.createdFolders) {
    installrecords::Write(Log, installlog::CreateDirRecord(folder));
  }
}

void TExtractionHandlers::AskAboutFailure(const std::string& name) {
  ++failed_;
  if (!view_.AskContinue(extraction::FailedFileText(name), std::string(extraction::FailedFileCaption()))) {
    view_.EndProgram();
  }
}

void TExtractionHandlers::RARExtract(TRAR*, RARHeaderData& eFile, bool Result) {
  const std::string name = OemToAnsiStr(std::string(eFile.FileName, sizeof eFile.FileName));
  if (!Logging()) {
    if (!Result) {
      AskAboutFailure(name);
      return;
    }
  } else {
    unfinished_ = false;
    TMemberLog::TOutcome outcome = members_.Finish();
    // What is on disk must be on record: a member whose path no record can
    // hold is taken off again and counts as not extracted.
    const bool needsRecord = !(outcome.isFolder && outcome.wasThere);
    if (Result && (!outcome.exists || (needsRecord && !outcome.spelling))) {
      members_.Discard(outcome);
      Result = false;
    } else if (!outcome.unspellableFolders.empty()) {
      TMemberLog::TOutcome folders;
      folders.unspellableFolders = outcome.unspellableFolders;
      members_.Discard(folders);
    }
    LogCreatedFolders(outcome);
    if (!Result) {
      AskAboutFailure(name);
      return;
    }
    if (needsRecord) {
      installrecords::Write(Log, outcome.isFolder ? installlog::CreateDirRecord(*outcome.spelling)
                                                  : installlog::CopyFileRecord(*outcome.spelling));
    }
  }
  ++inst_.DoneFiles;
  // Without a total the percentage means nothing; the bar stays where it is.
  if (inst_.TotalFiles > 0)
    view_.SetTotalPosition(extraction::TotalPercent(inst_.DoneFiles, inst_.TotalFiles, 0));
}

void TExtractionHandlers::RARError(TRAR*, int) {}

void TExtractionHandlers::LogUnfinishedMember() {
  if (!unfinished_ || !Logging()) return;
  unfinished_ = false;
  try {
    TMemberLog::TOutcome outcome = members_.Finish();
    if (outcome.exists && !outcome.spelling) members_.Discard(outcome);
    LogCreatedFolders(outcome);
    if (outcome.exists && outcome.spelling && !outcome.isFolder) {
      installrecords::Write(Log, installlog::CopyFileRecord(*outcome.spelling));
    }
  } catch (...) {
    // The program is ending; a log that cannot be written is left as it is.
  }
}
