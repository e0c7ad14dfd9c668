#include "setup/wizard/wizard_texts.h"

namespace {

// Line breaks inside the wizard's texts are line feed, then carriage return.
const std::string kBreak = "\n\r";
const std::string kIndent(11, ' ');

}  // namespace

namespace wizard_text {

const char kFirstTitle[] = "Добро Пожаловать!";
const char kInstallingTitle[] = "Установка ...";
const char kFinishedTitle[] = "Установка завершена !";
const char kIncompleteTitle[] = "Установка завершена с ошибками !";
const char kConfirmCaption[] = "Подтверждение";
const char kConfirmCancel[] = "Вы хотите прервать установку ?";
const char kWarningCaption[] = "Внимание!";
const char kBlankFolder[] =
    "Не указан каталог установки.\nВведите путь к каталогу или выберите его кнопкой Обзор.";
const char kNoFolderToRun[] =
    "Не указан каталог установки.\nУстановка невозможна, программа установки будет закрыта.";

}  // namespace wizard_text

TPageTexts BuildPageTexts(const std::string& name) {
  const std::string& B = kBreak;
  TPageTexts t;
  t.Page[0] = "Добро пожаловать в программу установки " + B + B + kIndent + name + "." + B + B +
              "Эта программа установит " + name + " на ваш компьютер." + B + B +
              "Настоятельно рекомендуется закрыть все Windows-приложения перед запуском этой "
              "программы." + B + B +
              "Нажмите Отмена для выхода из программы установки и закройте все запущенные вами "
              "приложения." + B + B + "Или нажмите Далее, чтобы продолжить установку.";
  t.Page[1] = "Выберите каталог, куда вы хотите установить " + B + B + kIndent + name + "." + B + B +
              "Если вас не устраивает предложенный каталог, нажмите Обзор и выберите другой.";
  t.Page[2] = "Для продолжения установки нажмите Далее." + B;
  t.Page[3] = "Выберите компоненты для установки." + B + "Для продолжения установки нажмите Далее." + B;
  t.Page[4] = "Выберите язык устанавливаемой программы." + B + B +
              "Для продолжения установки нажмите Далее." + B;
  t.Page[5] = "Выберите тип создаваемых ярлыков." + B + B + "Для продолжения установки нажмите Далее." + B;
  t.Page[6] = "Всё готово для установки" + B + B + kIndent + name + "." + B + B + B + B +
              "Нажмите Далее для начала установки или Назад - если нужно изменить какие-либо данные "
              "по установке приложения.";
  t.Page[7] = "Пожалуйста подождите. Идет установка компонентов" + B + kIndent + name +
              " на ваш компьютер." + B +
              "Если вы хотите прервать процесс установки, нажмите кнопку Отмена." + B +
              "Но в этом случае правильная работа программы не гарантируется.";
  t.Finish = "Приложение" + B + B + kIndent + name + B + B + "успешно установлено на ваш компьютер." +
             B + B + B + "Нажмите кнопку OK для выхода из программы установки.";
  t.IncompleteFinish = "Приложение" + B + B + kIndent + name + B + B +
                       "установлено на ваш компьютер не полностью: часть файлов установить не удалось." + B +
                       B + B + "Нажмите кнопку OK для выхода из программы установки.";
  return t;
}

std::string PageTitle(int page) {
  switch (page) {
    case wizard::kWelcomePage: return "Добро Пожаловать!";
    case wizard::kFolderPage: return "Выбор каталога установки";
    case wizard::kTypePage: return "Выбор типа установки";
    case wizard::kComponentPage: return "Выбор компонент";
    case wizard::kLanguagePage: return "Выбор языка программы";
    case wizard::kShortcutPage: return "Создание ярлыков";
    case wizard::kReadyPage: return "Начало установки";
    default: return "";
  }
}
