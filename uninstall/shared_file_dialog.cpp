#include "uninstall/shared_file_dialog.h"

#include <windows.h>

#include "common/text_numbers.h"
#include "uninstall/removal_rules.h"
#include "uninstall/resources/resource_ids.h"
#include "uninstall/support/support.h"

namespace {

void SetText(HWND dialog, int id, int text) { SetDlgItemTextA(dialog, id, MessageText(text).c_str()); }

// The dialog parameter is the path of the file asked about.
INT_PTR CALLBACK SharedFileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const std::string& path = *reinterpret_cast<const std::string*>(lParam);
      SetWindowTextA(dialog, MessageText(IDS_SHARED_CAPTION).c_str());
      SetText(dialog, IDC_SHARED_TEXT, IDS_SHARED_EXPLANATION);
      SetText(dialog, IDC_FILE_LABEL, IDS_FILE_NAME);
      SetText(dialog, IDC_FOLDER_LABEL, IDS_LOCATED_IN);
      std::string folder = removal::FolderOf(path);
      SetDlgItemTextA(dialog, IDC_FILE_NAME, path.substr(folder.size()).c_str());
      SetDlgItemTextA(dialog, IDC_FOLDER_NAME, folder.c_str());
      SetText(dialog, IDC_ANSWER_YES, IDS_YES);
      SetText(dialog, IDC_ANSWER_YES_TO_ALL, IDS_YES_TO_ALL);
      SetText(dialog, IDC_ANSWER_NO, IDS_NO);
      SetText(dialog, IDC_ANSWER_NO_TO_ALL, IDS_NO_TO_ALL);
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
  INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(DLG_DELSHARED), MainWindow,
                                   SharedFileDialogProc, reinterpret_cast<LPARAM>(&path));
  // A question that cannot be shown keeps the file.
  return result == -1 || result == 0 ? removal::kAnswerNo : static_cast<int>(result);
}
