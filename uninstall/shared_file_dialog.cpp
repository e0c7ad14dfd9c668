#include "uninstall/shared_file_dialog.h"

#include <windows.h>

#include "uninstall/removal_rules.h"
#include "uninstall/resources/resource_ids.h"
#include "uninstall/support/support.h"

namespace {

std::string SharedFileName;

void SetText(HWND dialog, int id, int text) { SetDlgItemTextA(dialog, id, MessageText(text).c_str()); }

INT_PTR CALLBACK SharedFileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowTextA(dialog, MessageText(15).c_str());
      SetText(dialog, IDC_SHARED_TEXT, 16);
      SetText(dialog, IDC_FILE_LABEL, 17);
      SetText(dialog, IDC_FOLDER_LABEL, 18);
      std::string folder = removal::FolderOf(SharedFileName);
      SetDlgItemTextA(dialog, IDC_FILE_NAME, SharedFileName.substr(folder.size()).c_str());
      SetDlgItemTextA(dialog, IDC_FOLDER_NAME, folder.c_str());
      SetText(dialog, IDC_ANSWER_YES, 19);
      SetText(dialog, IDC_ANSWER_YES_TO_ALL, 20);
      SetText(dialog, IDC_ANSWER_NO, 21);
      SetText(dialog, IDC_ANSWER_NO_TO_ALL, 22);
      break;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_ANSWER_YES: EndDialog(dialog, removal::kAnswerYes); break;
        case IDC_ANSWER_YES_TO_ALL: EndDialog(dialog, removal::kYesToAll); break;
        case IDC_ANSWER_NO:
        case IDCANCEL: EndDialog(dialog, removal::kAnswerNo); break;
        case IDC_ANSWER_NO_TO_ALL: EndDialog(dialog, removal::kNoToAll); break;
      }
      break;
  }
  return 0;
}

}  // namespace

int AskSharedFile(const std::string& path) {
  SharedFileName = path;
  INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(DLG_DELSHARED), MainWindow,
                                   SharedFileDialogProc, 0);
  // A question that cannot be shown keeps the file.
  return result == -1 || result == 0 ? removal::kAnswerNo : static_cast<int>(result);
}
