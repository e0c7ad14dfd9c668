#include "setup/extraction/member_log.h"

#include <windows.h>

#include "common/install_log.h"
#include "common/win32_handles.h"
#include "common/wide_text.h"
#include "setup/extraction/member_names.h"

namespace {

using widetext::ExactAnsi;

std::wstring Upper(std::wstring s) {
  if (!s.empty()) CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }
bool IsFolder(DWORD a) { return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY); }

// The components of `rel` (no leading separator).
std::vector<std::wstring> Split(const std::wstring& rel) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= rel.size()) {
    size_t end = rel.find(L'\\', start);
    if (end == std::wstring::npos) end = rel.size();
    parts.push_back(rel.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

void TMemberLog::SetInstallDir(const std::string& installDir) {
  if (installDir == installDir_) return;
  installDir_ = installDir;
  installDirW_ = widetext::FromAnsi(installDir);
  knownFolders_.clear();
}

bool TMemberLog::KnownFolder(const std::wstring& path) {
  std::wstring key = Upper(path);
  if (knownFolders_.count(key)) return true;
  if (!IsFolder(Attributes(path))) return false;
  knownFolders_.insert(std::move(key));
  return true;
}

TMemberLog::TPlan TMemberLog::Begin(const std::wstring& name, bool isFolder) {
  TPlan plan;
  missing_.clear();
  member_.clear();
  isFolder_ = isFolder;
  wasThere_ = false;
  madeAhead_ = false;
  std::u16string name16(name.begin(), name.end());
  std::optional<std::vector<std::u16string>> parts = membernames::Components(name16);
  if (!parts) return plan;
  std::wstring path = installDirW_;
  for (size_t i = 0; i < parts->size(); ++i) {
    if (i > 0) path += L'\\';
    path.append((*parts)[i].begin(), (*parts)[i].end());
    if (i + 1 == parts->size()) break;
    // Once one folder is missing, every folder below it is too.
    if (!missing_.empty() || !KnownFolder(path)) missing_.push_back(path);
  }
  member_ = path;
  if (isFolder_) wasThere_ = missing_.empty() && KnownFolder(member_);

  for (size_t i = 0; i < missing_.size(); ++i) {
    std::optional<std::string> spelling = PlainSpelling(missing_[i]);
    if (!spelling) {
      // Made now, with the missing folders above it, which the library would make anyway.
      for (size_t k = 0; k <= i; ++k) CreateDirectoryW(missing_[k].c_str(), nullptr);
      spelling = Spell(missing_[i]);
    }
    if (spelling) plan.folders.push_back(*spelling);
  }
  if (wasThere_) return plan;
  plan.member = PlainSpelling(member_);
  if (!plan.member) {
    if (isFolder_) {
      madeAhead_ = CreateDirectoryW(member_.c_str(), nullptr) != FALSE;
    } else {
      win32::UniqueFile made(CreateFileW(member_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
      madeAhead_ = static_cast<bool>(made);
    }
    plan.member = Spell(member_);
  }
  return plan;
}

TMemberLog::TOutcome TMemberLog::Finish() {
  TOutcome o;
  for (const std::wstring& folder : missing_) {
    if (!KnownFolder(folder)) continue;
    if (std::optional<std::string> s = Spell(folder)) {
      o.createdFolders.push_back(*s);
    } else {
      o.unspellableFolders.push_back(folder);
    }
  }
  missing_.clear();
  if (member_.empty()) return o;
  DWORD a = Attributes(member_);
  o.exists = a != INVALID_FILE_ATTRIBUTES;
  o.isFolder = IsFolder(a) || (!o.exists && isFolder_);
  o.wasThere = wasThere_;
  o.madeAhead = madeAhead_;
  if (o.exists) {
    if (o.isFolder) knownFolders_.insert(Upper(member_));
    o.spelling = Spell(member_);
  }
  return o;
}

void TMemberLog::Discard(const TOutcome& outcome) {
  if (!member_.empty() && outcome.exists && !outcome.wasThere) {
    if (outcome.isFolder) {
      RemoveDirectoryW(member_.c_str());
    } else {
      SetFileAttributesW(member_.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(member_.c_str());
    }
  }
  // Deepest first, so that each is empty when its turn comes.
  for (auto it = outcome.unspellableFolders.rbegin(); it != outcome.unspellableFolders.rend(); ++it) {
    if (RemoveDirectoryW(it->c_str())) knownFolders_.erase(Upper(*it));
  }
  if (outcome.isFolder && !member_.empty()) knownFolders_.erase(Upper(member_));
}

std::optional<std::string> TMemberLog::PlainSpelling(const std::wstring& path) const {
  if (path.size() <= installDirW_.size() || path.compare(0, installDirW_.size(), installDirW_) != 0) {
    return std::nullopt;
  }
  const std::wstring rel = path.substr(installDirW_.size());
  for (const std::wstring& p : Split(rel)) {
    std::u16string p16(p.begin(), p.end());
    if (membernames::StoredUnderAnotherName(p16)) return std::nullopt;
  }
  std::optional<std::string> a = ExactAnsi(rel);
  if (!a || !installlog::PathRecordReadsBack(installDir_ + *a)) return std::nullopt;
  return installDir_ + *a;
}

std::optional<std::string> TMemberLog::Spell(const std::wstring& path) const {
  if (std::optional<std::string> plain = PlainSpelling(path)) return plain;
  if (path.size() <= installDirW_.size() || path.compare(0, installDirW_.size(), installDirW_) != 0) {
    return std::nullopt;
  }
  const std::wstring rel = path.substr(installDirW_.size());
  const std::vector<std::wstring> parts = Split(rel);
  // Component by component, with the names the file system holds.
  struct Choice {
    std::optional<std::string> longName, shortName;
  };
  std::vector<Choice> choices;
  std::wstring sofar = installDirW_;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) sofar += L'\\';
    sofar += parts[i];
    WIN32_FIND_DATAW found{};
    if (!win32::UniqueFind(FindFirstFileW(sofar.c_str(), &found))) return std::nullopt;
    Choice c;
    c.longName = ExactAnsi(found.cFileName);
    if (found.cAlternateFileName[0]) c.shortName = ExactAnsi(found.cAlternateFileName);
    if (!c.longName && !c.shortName) return std::nullopt;
    choices.push_back(std::move(c));
    // Continue below the name the file system holds.
    sofar.resize(sofar.size() - parts[i].size());
    sofar += found.cFileName;
  }
  // Long names where they serve; where the whole does not read back, short
  // names from the last component towards the first.
  std::vector<bool> useShort(choices.size());
  for (size_t i = 0; i < choices.size(); ++i) useShort[i] = !choices[i].longName;
  for (size_t k = choices.size() + 1; k-- > 0;) {
    if (k < choices.size()) {
      if (useShort[k] || !choices[k].shortName) continue;
      useShort[k] = true;
    }
    std::string result = installDir_;
    for (size_t i = 0; i < choices.size(); ++i) {
      if (i > 0) result += '\\';
      result += useShort[i] ? *choices[i].shortName : *choices[i].longName;
    }
    if (installlog::PathRecordReadsBack(result)) return result;
  }
  return std::nullopt;
}
