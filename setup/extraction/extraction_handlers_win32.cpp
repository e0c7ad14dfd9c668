#include "setup/extraction/extraction_handlers.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "common/install_log.h"
#include "common/run_account.h"
#include "common/timing.h"
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

template <class F>
void TExtractionHandlers::ShowWhenDue(F show) {
  const Clock::time_point now = Now();
  if (RefreshInterval.count() > 0 && everShown_ && now - shownAt_ < RefreshInterval) {
    behind_ = true;
    return;
  }
  shownAt_ = now;
  everShown_ = true;
  if (behind_) {
    ShowAll();
    return;
  }
  show();
  view_.ProcessMessages();
}

void TExtractionHandlers::ShowAll() {
  view_.SetCurrentFile(file_);
  view_.SetCurrentBar(0, max_, position_);
  if (total_ >= 0) view_.SetTotalPosition(total_);
  view_.ProcessMessages();
  behind_ = false;
}

void TExtractionHandlers::Refresh() {
  if (behind_) ShowAll();
  shownAt_ = Now();
}

void TExtractionHandlers::RARExtracting(TRAR* Sender, RARHeaderData& eFile) {
  TIMED("setup: RARExtracting");
  file_ = OemToAnsiStr(std::string(eFile.FileName, strnlen(eFile.FileName, sizeof eFile.FileName)));
  if (Logging()) {
    members_.SetInstallDir(InstallDir);
    // Written ahead: a kill while the member is being written leaves it on record.
    intended_ = members_.Begin(WideName(Sender, eFile), (eFile.Flags & RHDF_DIRECTORY) == RHDF_DIRECTORY);
    for (const std::string& folder : intended_.folders) {
      installlog::Record r = installlog::CreateDirRecord(folder);
      Log->Intend(r.section, r.key, r.value);
    }
    if (intended_.member) {
      installlog::Record r = (eFile.Flags & RHDF_DIRECTORY) == RHDF_DIRECTORY
                                 ? installlog::CreateDirRecord(*intended_.member)
                                 : installlog::CopyFileRecord(*intended_.member);
      Log->Intend(r.section, r.key, r.value);
    }
    unfinished_ = true;
  }
  // A progress bar holds int; sizes beyond that show as full from the start.
  max_ = eFile.UnpSize > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(eFile.UnpSize);
  position_ = 0;
  ShowWhenDue([&] {
    view_.SetCurrentFile(file_);
    view_.SetCurrentBar(0, max_, 0);
  });
}

int TExtractionHandlers::RARProcessData(TRAR*, char*, int, int Position) {
  TIMED("setup: RARProcessData");
  position_ = Position;
  ShowWhenDue([&] { view_.SetCurrentPosition(Position); });
  return 1;
}

void TExtractionHandlers::LogCreatedFolders(const TMemberLog::TOutcome& outcome) {
  for (const std::string& folder : outcome.createdFolders) {
    installrecords::Write(Log, installlog::CreateDirRecord(folder));
  }
}

void TExtractionHandlers::RetractUnmade(const TMemberLog::TOutcome& outcome, bool memberMade) {
  for (const std::string& folder : intended_.folders) {
    if (std::find(outcome.createdFolders.begin(), outcome.createdFolders.end(), folder) ==
        outcome.createdFolders.end()) {
      Log->Retract(installlog::kCreateDirs, folder);
    }
  }
  if (intended_.member && (!memberMade || !outcome.spelling || *outcome.spelling != *intended_.member)) {
    Log->Retract(outcome.isFolder ? installlog::kCreateDirs : installlog::kCopyFiles, *intended_.member);
  }
  intended_ = {};
}

void TExtractionHandlers::AskAboutFailure(const std::string& name) {
  ++failed_;
  runaccount::Note("Ошибка распаковки: " + InstallDir + name.c_str());
  Refresh();
  if (!view_.AskContinue(extraction::FailedFileText(name), std::string(extraction::FailedFileCaption()))) {
    if (Logging()) {
      try {
        Log->Checkpoint();
      } catch (...) {
        // The program is ending; the journal keeps what the log could not.
      }
    }
    view_.EndProgram();
  }
}

void TExtractionHandlers::RARExtract(TRAR*, RARHeaderData& eFile, bool Result) {
  TIMED("setup: RARExtract");
  const std::string name = OemToAnsiStr(std::string(eFile.FileName, sizeof eFile.FileName));
  if (!Logging()) {
    if (!Result) {
      AskAboutFailure(name);
      return;
    }
  } else {
    unfinished_ = false;
    TMemberLog::TOutcome outcome;
    {
      TIMED("setup: member log Finish");
      outcome = members_.Finish();
    }
    // What is on disk must be on record: a member whose path no record can
    // hold is taken off again and counts as not extracted; so is an empty
    // member made ahead for a member the library then refused.
    const bool needsRecord = !(outcome.isFolder && outcome.wasThere);
    if (Result && (!outcome.exists || (needsRecord && !outcome.spelling))) {
      members_.Discard(outcome);
      Result = false;
    } else if (!Result && outcome.exists && outcome.madeAhead) {
      members_.Discard(outcome);
    } else if (!outcome.unspellableFolders.empty()) {
      TMemberLog::TOutcome folders;
      folders.unspellableFolders = outcome.unspellableFolders;
      members_.Discard(folders);
    }
    LogCreatedFolders(outcome);
    RetractUnmade(outcome, Result);
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
  if ((eFile.Flags & RHDF_DIRECTORY) != RHDF_DIRECTORY) extractedBytes_ += eFile.UnpSize;
  if (runaccount::IsOpen()) runaccount::Note("Распакован: " + InstallDir + name.c_str());
  // Without a total the percentage means nothing; the bar stays where it is.
  if (inst_.TotalFiles > 0) {
    total_ = extraction::TotalPercent(inst_.DoneFiles, inst_.TotalFiles, 0);
    ShowWhenDue([&] { view_.SetTotalPosition(total_); });
  }
}

void TExtractionHandlers::RARError(TRAR*, int) {}

void TExtractionHandlers::RecordUnfinishedMember() {
  if (!unfinished_ || !Logging()) return;
  unfinished_ = false;
  TMemberLog::TOutcome outcome = members_.Finish();
  if (outcome.exists && !outcome.spelling) members_.Discard(outcome);
  LogCreatedFolders(outcome);
  if (outcome.exists && outcome.spelling && !outcome.isFolder) {
    installrecords::Write(Log, installlog::CopyFileRecord(*outcome.spelling));
  }
}

void TExtractionHandlers::EndInTheMiddle() {
  if (!Logging()) return;
  try {
    RecordUnfinishedMember();
    Log->Checkpoint();
  } catch (...) {
    // The program is ending; what the log could not take, the journal keeps.
  }
}
