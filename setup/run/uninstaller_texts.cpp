#include "setup/run/uninstaller_texts.h"

std::array<std::string, IDS_COUNT> UninstallerTexts(std::string_view programName) {
  const std::string name(programName);
  return {
      "Удаление " + name,
      "Не указан log-файл!",
      "Log-файл не найден!",
      "Вы уверены, что хотите полностью удалить " + name + " и все его компоненты? ",
      "Удаление " + name + " закончено.",
      "Удаление файлов...",
      "Удаление параметров реестра...",
      "Удаление разделов реестра...",
      "Удаление записей в ini-файлах...",
      "Удаление ярлыков...",
      "Удаление каталогов...",
      "Удаление COM-серверов...",
      "Удаление шрифтов...",
      "Проверка общих файлов...",
      "Удалить общий файл?",
      "Обнаружено, что следующий общий файл больше не используется ни одним приложением. "
      "Вы уверены, что хотите удалить общий файл?||||Если вы оставите этот файл, это не повредит "
      "системе. Если вы не знаете, как поступить, не удаляйте этот общий компонент.",
      "Имя файла:",
      "Находится в:",
      "Да",
      "Да для всех",
      "Нет",
      "Нет для всех",
      "Закрыть",
  };
}

std::string UninstallerPath(std::string_view installDir) {
  // installDir ends with a backslash already; the doubled separator is what
  // earlier installations registered, and the file system reads it as one.
  return std::string(installDir) + "\\Reapwell.exe";
}

std::string UninstallShortcutPath(std::string_view programsDir, std::string_view programName) {
  std::string name(programName);
  return std::string(programsDir) + "\\" + name + "\\Удалить " + name + ".lnk";
}

std::string UninstallKeyPath(std::string_view programName) {
  return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + std::string(programName);
}

std::string UninstallKeyLogPath(std::string_view programName) {
  return "HKLM\\" + UninstallKeyPath(programName);
}

std::string UninstallCommand(std::string_view uninstallerPath) {
  return "\"" + std::string(uninstallerPath) + "\"";
}
