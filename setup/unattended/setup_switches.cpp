#include "setup/unattended/setup_switches.h"

#include <algorithm>
#include <set>

#include "common/ansi.h"
#include "common/command_line.h"

namespace setupcli {

namespace {

// A value that names a file or folder must be there, whatever else it holds.
bool TakePath(const cmdline::Switch& s, std::string& target, std::string& error) {
  if (!s.hasValue || s.value.empty()) {
    error = "Ключ /" + s.name + " требует значения: /" + s.name + "=\"...\".";
    return false;
  }
  target = s.value;
  return true;
}

}  // namespace

std::optional<std::vector<int>> ParseComponentList(std::string_view text) {
  std::vector<int> numbers;
  if (ansi::Trim(text).empty()) return numbers;
  std::set<int> seen;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    std::string_view item = ansi::Trim(text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
    if (item.empty() || item.size() > 4) return std::nullopt;
    int n = 0;
    for (char c : item) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + (c - '0');
    }
    if (!seen.insert(n).second) return std::nullopt;
    numbers.push_back(n);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return numbers;
}

std::optional<std::vector<bool>> ChoosePackages(const std::vector<int>& listed, const std::vector<bool>& required,
                                                std::string* error) {
  std::vector<bool> chosen = required;
  for (int n : listed) {
    if (n < 0 || static_cast<size_t>(n) >= required.size()) {
      if (error) {
        *error = "Ключ /COMPONENTS: компонента с номером " + std::to_string(n) + " нет (в [Packages] их " +
                 std::to_string(required.size()) + ").";
      }
      return std::nullopt;
    }
    chosen[static_cast<size_t>(n)] = true;
  }
  return chosen;
}

TParsedSwitches ParseSetupSwitches(const std::vector<std::string>& arguments) {
  TParsedSwitches result;
  TSetupSwitches& s = result.switches;
  s.any = !arguments.empty();
  std::set<std::string> given;
  auto fail = [&](std::string text) {
    if (result.error.empty()) result.error = std::move(text);
  };
  for (const std::string& argument : arguments) {
    std::optional<cmdline::Switch> sw = cmdline::ParseSwitch(argument);
    if (!sw) {
      fail("Непонятный аргумент: " + argument);
      continue;
    }
    // SILENT and VERYSILENT choose one mode: they count as one switch.
    const std::string family = sw->name == "VERYSILENT" ? "SILENT" : sw->name == "HELP" ? "?" : sw->name;
    if (!given.insert(family).second) {
      fail("Ключ /" + sw->name + " указан дважды или вместе с противоречащим ему ключом.");
      continue;
    }
    const std::string& name = sw->name;
    const bool flag = !sw->hasValue;
    std::string error;
    if (name == "SILENT" || name == "VERYSILENT") {
      s.mode = name == "SILENT" ? Mode::Silent : Mode::VerySilent;
      if (!flag) fail("Ключ /" + name + " не принимает значения.");
    } else if (name == "?" || name == "HELP") {
      s.help = true;
    } else if (name == "NODESKTOP" || name == "NOGROUP") {
      (name == "NODESKTOP" ? s.noDesktop : s.noGroup) = true;
      if (!flag) fail("Ключ /" + name + " не принимает значения.");
    } else if (name == "DIR") {
      std::string dir;
      if (TakePath(*sw, dir, error)) s.dir = dir; else fail(error);
    } else if (name == "LOG") {
      if (!TakePath(*sw, s.log, error)) fail(error);
    } else if (name == "SAVEINF") {
      if (!TakePath(*sw, s.saveInf, error)) fail(error);
    } else if (name == "LOADINF") {
      if (!TakePath(*sw, s.loadInf, error)) fail(error);
    } else if (name == "COMPONENTS") {
      std::optional<std::vector<int>> list = sw->hasValue ? ParseComponentList(sw->value) : std::nullopt;
      if (list) {
        s.components = std::move(list);
      } else {
        fail("Ключ /COMPONENTS: ожидаются номера компонентов через запятую, например /COMPONENTS=0,2,3.");
      }
    } else if (name == "LANG") {
      const std::string value = ansi::UpperCase(ansi::Trim(sw->value));
      if (sw->hasValue && (value == "RUS" || value == "ENG")) {
        s.russian = value == "RUS";
      } else {
        fail("Ключ /LANG: ожидается /LANG=RUS или /LANG=ENG.");
      }
    } else {
      fail("Неизвестный ключ: " + argument);
    }
  }
  if (s.help && result.error.empty()) result.error = "Ключи программы установки:";
  return result;
}

std::string UsageText() {
  return "Sowell [ключи]\n"
         "\n"
         "/SILENT\t\tбез страниц мастера, только ход установки\n"
         "/VERYSILENT\tбез единого окна\n"
         "/DIR=\"каталог\"\tкаталог установки\n"
         "/COMPONENTS=0,2,3\tкомпоненты по номерам в [Packages] (обязательные ставятся всегда)\n"
         "/LANG=RUS | /LANG=ENG\tязык устанавливаемой программы\n"
         "/NODESKTOP\t\tбез ярлыков на рабочем столе\n"
         "/NOGROUP\t\tбез ярлыков в меню \"Пуск\" (и без ярлыка удаления)\n"
         "/LOG=\"файл\"\t\tотчёт о ходе установки в текстовом файле\n"
         "/SAVEINF=\"файл\"\tсохранить выбор, сделанный в мастере\n"
         "/LOADINF=\"файл\"\tвзять выбор из такого файла\n"
         "/? или /HELP\t\tэтот список\n"
         "\n"
         "Коды завершения: 0 установлено; 1 нет или не читается setup.ini; 2 неверная командная строка; "
         "3 каталог установки отвергнут или не создаётся; 4 компонент не установлен (файл или диск); "
         "5 отменено пользователем; 6 программа установки уже запущена.";
}

}  // namespace setupcli
