#include "tools/author/regfile_check.h"

#include <algorithm>

#include "common/ansi.h"
#include "tools/author/cp1251.h"
#include "tools/author/spelling.h"
#include "tools/author/text_check.h"

namespace author {
namespace {

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

const char* RootName(regfile::RootKey root) {
  switch (root) {
    case regfile::RootKey::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case regfile::RootKey::CurrentUser: return "HKEY_CURRENT_USER";
    case regfile::RootKey::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case regfile::RootKey::Users: return "HKEY_USERS";
  }
  return "";
}

// Whether the text of a key line names one of the four roots itself.
bool NamesRoot(std::string_view keyText) {
  const std::string upper = ansi::UpperCase(keyText);
  for (std::string_view root : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"}) {
    if (StartsWith(upper, root) && (upper.size() == root.size() || upper[root.size()] == '\\')) return true;
  }
  return false;
}

std::string U(std::string_view s) { return cp1251::Utf8FromCp1251(s); }

// Lines the reader skips without a word: values with no key to hold them,
// and lines that are neither keys nor values.
void SilentLines(std::string_view text, const std::string& file, Findings& findings) {
  bool haveKey = false;
  bool continued = false;  // the line before ended hex data with "\"
  for (const TextLine& line : SplitTextLines(text)) {
    std::string_view t = ansi::Trim(line.text);
    if (continued) {
      continued = !t.empty() && t.back() == '\\';
      continue;
    }
    if (t.empty() || t.front() == ';') continue;
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
      std::string_view inner = t.substr(1, t.size() - 2);
      haveKey = !regfile::LocateKey(inner).subKey.empty();
      if (!haveKey) {
        findings.Warning(file, line.number,
                         "[" + U(inner) + "] names only a root: nothing is created, and the values under it are skipped");
      }
      continue;
    }
    if (t == "REGEDIT4" || StartsWith(t, "Windows Registry Editor Version ")) continue;
    const bool value = t.front() == '"' || t.find('=') != std::string_view::npos;
    if (!value) {
      findings.Warning(file, line.number, "neither a key nor a value: the setup program skips this line");
      continue;
    }
    if (!haveKey) {
      findings.Warning(file, line.number, "a value with no key line above it to hold it: the setup program skips it");
      continue;
    }
    const size_t eq = t.find('=');
    if (eq != std::string_view::npos) {
      const std::string data = ansi::LowerCase(ansi::Trim(t.substr(eq + 1)));
      continued = (StartsWith(data, "hex:") || StartsWith(data, "hex(")) && t.back() == '\\';
    }
  }
}

std::string WrongLineReason(std::string_view line) {
  std::string_view t = ansi::Trim(line);
  if (!t.empty() && t.front() == '"') {
    size_t i = 1;
    while (i < t.size()) {
      if (t[i] == '\\' && i + 1 < t.size() && (t[i + 1] == '\\' || t[i + 1] == '"')) {
        i += 2;
        continue;
      }
      if (t[i] == '"') return "the quoted name is not followed by \"=\"";
      ++i;
    }
    return "the quoted name has no closing quote";
  }
  return "the line has no \"=\"";
}

}  // namespace

std::string SharedKeyReason(const regfile::KeyLocation& key) {
  using regfile::RootKey;
  if (key.root == RootKey::ClassesRoot) return {};
  if (key.root == RootKey::Users) return "the settings of every user of the machine";
  const std::vector<std::string> parts = Split(ansi::UpperCase(key.subKey));
  if (parts.empty()) return "a root key";
  if (parts[0] == "ENVIRONMENT") return "the user's environment, which Windows and other programs share";
  if (parts[0] != "SOFTWARE") return "settings of Windows outside Software";
  if (parts.size() == 1) return "Software itself, which every program shares";
  if (parts[1] == "CLASSES") return {};
  if (parts[1] == "MICROSOFT") {
    const bool currentVersion = parts.size() >= 4 && parts[2] == "WINDOWS" && parts[3] == "CURRENTVERSION";
    if (currentVersion && parts.size() >= 6 && parts[4] == "APP PATHS") return {};
    if (currentVersion && parts.size() >= 5 && (parts[4] == "RUN" || parts[4] == "RUNONCE")) {
      return "a key Windows and other programs share; the uninstaller removes only the values written there";
    }
    if (currentVersion && parts.size() >= 5 && parts[4] == "UNINSTALL") {
      return "the list of installed programs, where the setup program makes the product's entry itself";
    }
    return "settings of Windows";
  }
  if (parts[1] == "POLICIES") return "policies, which administrators set";
  if (parts[1] == "WOW6432NODE") return "the 32-bit view of the machine's settings, which Windows keeps itself";
  return {};
}

void CheckRegFile(std::string_view bytes, const std::string& file, std::string_view nameInSetupIni,
                  Findings& findings, RegFileSummary* summary) {
  if (!CheckText(bytes, file, TextKind::RegFile, findings)) return;
  std::string text;
  if (std::optional<std::u16string> unicode = regfile::UnicodeText(bytes)) {
    text = cp1251::Cp1251FromUtf16(*unicode);
  } else {
    text = std::string(bytes);
  }
  const std::vector<TextLine> lines = SplitTextLines(text);
  auto lineText = [&](size_t n) -> std::string_view { return n >= 1 && n <= lines.size() ? lines[n - 1].text : ""; };
  SilentLines(text, file, findings);

  regfile::TRegFileParser parser(text);
  int firstMachineValue = 0;  // a value under HKEY_LOCAL_MACHINE before values under other roots
  bool otherAfterMachine = false;
  while (std::optional<regfile::Operation> op = parser.Next()) {
    const int line = static_cast<int>(op->line);
    switch (op->kind) {
      case regfile::Operation::Kind::Message: {
        const std::string shown = "\"" + U(regfile::MessageText(op->message, nameInSetupIni)) + "\"";
        if (op->message == regfile::MessageKind::WrongRegFile) {
          findings.Error(file, line, WrongLineReason(lineText(op->line)) + ": the setup program shows " + shown +
                                         " and skips the line");
        } else if (op->message == regfile::MessageKind::BadHexParameter) {
          findings.Error(file, line, "bad hexadecimal data: the setup program shows " + shown + " and writes 0 for it");
        } else {
          findings.Error(file, line, "a character that is no hexadecimal digit: the setup program shows " + shown +
                                         " and counts it as 0");
        }
        break;
      }
      case regfile::Operation::Kind::CreateKey: {
        std::string_view t = ansi::Trim(lineText(op->line));
        std::string_view inner = t.size() >= 2 ? t.substr(1, t.size() - 2) : t;
        const std::string where = std::string(RootName(op->key.root)) + "\\" + U(op->key.subKey);
        if (!NamesRoot(inner)) {
          findings.Warning(file, line,
                           std::string(!inner.empty() && inner.front() == '-'
                                           ? "there is no deletion form: "
                                           : "the key names none of the four roots: ") +
                               "the setup program creates " + where);
        }
        const std::string reason = SharedKeyReason(op->key);
        if (!reason.empty()) {
          findings.Warning(file, line, "writes outside the keys an installation normally owns: " + where + " is " + reason);
        }
        if (summary) {
          const std::string key = op->key.rootName + "\\" + op->key.subKey;
          if (std::find(summary->keys.begin(), summary->keys.end(), key) == summary->keys.end()) summary->keys.push_back(key);
        }
        break;
      }
      case regfile::Operation::Kind::SetValue: {
        if (summary) ++summary->values;
        if (op->key.root == regfile::RootKey::LocalMachine) {
          if (firstMachineValue == 0) firstMachineValue = line;
        } else if (firstMachineValue != 0) {
          otherAfterMachine = true;
        }
        if (op->type != regfile::kRegSz || op->fromHex) break;
        for (const MacroWord& w : MacroWords(op->data)) {
          if (w.known) continue;
          std::string text = w.word + " is no macro of the setup program: the registry gets it as it stands";
          std::string near = NearestName(w.word, MacroNames());
          if (!near.empty()) text += "; did you mean " + near + "?";
          findings.Warning(file, line, text);
        }
        break;
      }
    }
  }
  if (otherAfterMachine) {
    findings.Warning(file, firstMachineValue,
                     "values under HKEY_LOCAL_MACHINE come before values under other roots: without administrator "
                     "rights this write is refused and the rest of the file is skipped; put them last");
  }
}

}  // namespace author
