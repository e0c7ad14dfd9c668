#include "setup/unattended/answer_file.h"

#include "common/ansi.h"
#include "common/file_io.h"
#include "setup/run/inifiles32.h"

namespace setupcli {

namespace {

constexpr char kSection[] = "Setup";

std::optional<bool> ReadFlag(const TIniFile32& ini, const char* key, std::string* error) {
  const std::string value(ansi::Trim(ini.ReadString(kSection, key, "")));
  if (value.empty()) return std::nullopt;
  if (value == "0" || value == "1") return value == "1";
  if (error) *error = std::string("[Setup] ") + key + "=" + value + ": ожидается 0 или 1.";
  throw std::invalid_argument(key);
}

}  // namespace

std::string AnswerFileText(const TAnswers& a) {
  std::string text = "[Setup]\r\n";
  if (a.dir) text += "Dir=" + *a.dir + "\r\n";
  if (a.components) {
    std::string list;
    for (int n : *a.components) list += (list.empty() ? "" : ",") + std::to_string(n);
    text += "Components=" + list + "\r\n";
  }
  if (a.russian) text += std::string("Language=") + (*a.russian ? "RUS" : "ENG") + "\r\n";
  if (a.desktop) text += std::string("Desktop=") + (*a.desktop ? "1" : "0") + "\r\n";
  if (a.group) text += std::string("Group=") + (*a.group ? "1" : "0") + "\r\n";
  return text;
}

std::optional<TAnswers> ReadAnswerFile(const std::string& path, std::string* error) {
  try {
    if (!fileio::FileExists(path)) {
      if (error) *error = "Файл ответов не найден: " + path;
      return std::nullopt;
    }
    TIniFile32 ini(path);
    TAnswers a;
    const std::string dir = ini.ReadString(kSection, "Dir", "");
    if (!ansi::Trim(dir).empty()) a.dir = dir;
    std::vector<std::string> lines;
    ini.ReadSectionValues(kSection, &lines);
    bool hasComponents = false;
    for (const std::string& line : lines) {
      if (ansi::SameText(ansi::Trim(inifiles32::KeyOfLine(line)), "Components")) hasComponents = true;
    }
    if (hasComponents) {
      const std::string list = ini.ReadString(kSection, "Components", "");
      a.components = ParseComponentList(list);
      if (!a.components) {
        if (error) *error = "[Setup] Components=" + list + ": ожидаются номера компонентов через запятую.";
        return std::nullopt;
      }
    }
    const std::string language = ansi::UpperCase(ansi::Trim(ini.ReadString(kSection, "Language", "")));
    if (language == "RUS" || language == "ENG") {
      a.russian = language == "RUS";
    } else if (!language.empty()) {
      if (error) *error = "[Setup] Language=" + language + ": ожидается RUS или ENG.";
      return std::nullopt;
    }
    a.desktop = ReadFlag(ini, "Desktop", error);
    a.group = ReadFlag(ini, "Group", error);
    return a;
  } catch (const std::invalid_argument&) {
    return std::nullopt;
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return std::nullopt;
  }
}

void WriteAnswerFile(const std::string& path, const TAnswers& answers) {
  fileio::ReplaceFileContents(path, AnswerFileText(answers));
}

TAnswers ResolveChoices(const TSetupSwitches& s, const TAnswers& file, const TDefaults& defaults) {
  TAnswers c;
  c.dir = s.dir ? s.dir : file.dir ? file.dir : defaults.dir;
  c.components = s.components ? s.components : file.components;
  c.russian = s.russian ? *s.russian : file.russian.value_or(false);
  c.desktop = s.noDesktop ? false : file.desktop.value_or(defaults.desktop);
  c.group = s.noGroup ? false : file.group.value_or(true);
  return c;
}

}  // namespace setupcli
