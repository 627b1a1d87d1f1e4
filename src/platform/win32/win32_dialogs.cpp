// The two modal dialogs, run from the module's own templates (res/Stats.rc)
// with data exchange as the dialog framework does it: the fields go into the
// controls when the dialog opens and come back from them only when OK ends
// it. Escape, the close box and CANCEL end the dialog with IDCANCEL and take
// nothing back.
#include <cstdlib>
#include <optional>
#include <string>

#include "contest/cabrillo_dialog.h"
#include "contest/master_dialog.h"
#include "platform/win32/win32_platform.h"
#include "resource.h"

namespace zelk {
namespace {

// The whole text of a control, however long.
std::string ControlText(HWND dialog, int id) {
    const int length = GetWindowTextLengthA(GetDlgItem(dialog, id));
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const UINT copied = GetDlgItemTextA(dialog, id, text.data(), length + 1);
    text.resize(copied);
    return text;
}

// The fields of the running dialog: filled from the caller's, handed back
// only on OK.
template <typename Fields>
struct DialogRun {
    Fields fields;
    bool confirmed = false;
};

template <typename Fields>
DialogRun<Fields>& RunOf(HWND dialog) {
    return *reinterpret_cast<DialogRun<Fields>*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Common message handling: keeps the run with the window, and ends it on
// IDOK (after `takeBack`) or IDCANCEL.
template <typename Fields, typename Show, typename TakeBack>
INT_PTR HandleDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, Show show,
                            TakeBack takeBack) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            show(dialog, reinterpret_cast<DialogRun<Fields>*>(lParam)->fields);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: {
                    DialogRun<Fields>& run = RunOf<Fields>(dialog);
                    takeBack(dialog, run.fields);
                    run.confirmed = true;
                    EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

// ---- Station-coordinate setup (template 104) ----

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleDialogMessage<std::string>(
        dialog, message, wParam, lParam,
        [](HWND window, const std::string& coordinate) {
            SetDlgItemTextA(window, IDC_COORDINATE, coordinate.c_str());
        },
        [](HWND window, std::string& coordinate) {
            coordinate = ControlText(window, IDC_COORDINATE);
        });
}

// ---- Cabrillo header (template 101) ----

void FillComboLists(HWND dialog) {
    // The boxes marked sorted carry CBS_SORT, so adding in list order gives
    // the displayed order.
    for (const HeaderControl& control : HeaderControlsInTabOrder()) {
        for (std::string_view item : control.items) {
            const std::string text(item);
            SendDlgItemMessageA(dialog, control.id, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
}

void ShowHeaderField(HWND dialog, const HeaderControl& control, const std::string& value) {
    if (control.kind == ControlKind::ComboBox) {
        // CB_SELECTSTRING from the start selects the first item that begins
        // with the text, without regard to case; when none does, the text
        // goes into the edit part as it is. Every item begins with the empty
        // text, for which the message finds nothing under Wine: the first
        // item then is selected here.
        const LRESULT selected =
            value.empty()
                ? SendDlgItemMessageA(dialog, control.id, CB_SETCURSEL, 0, 0)
                : SendDlgItemMessageA(dialog, control.id, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(value.c_str()));
        if (selected != CB_ERR) {
            return;
        }
    }
    SetDlgItemTextA(dialog, control.id, value.c_str());
}

INT_PTR CALLBACK HeaderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleDialogMessage<CabrilloHeaderFields>(
        dialog, message, wParam, lParam,
        [](HWND window, const CabrilloHeaderFields& fields) {
            FillComboLists(window);
            for (int id : HeaderExchangeOrder()) {
                const HeaderControl& control = HeaderControlById(id);
                ShowHeaderField(window, control, fields.*control.field);
            }
        },
        [](HWND window, CabrilloHeaderFields& fields) {
            // A combo box's window text is the text of its edit part, typed
            // or selected.
            for (int id : HeaderExchangeOrder()) {
                fields.*HeaderControlById(id).field = ControlText(window, id);
            }
        });
}

template <typename Fields>
int RunModal(HINSTANCE module, int templateId, DLGPROC procedure, DialogRun<Fields>& run) {
    // The wide call keeps the templates' texts as they are (the setup
    // dialog's button keeps its Cyrillic "OK" whatever the ANSI code page);
    // the fields still go in and out as ANSI text. No parent window, like
    // the dialog classes.
    const INT_PTR result = DialogBoxParamW(module, MAKEINTRESOURCEW(templateId), nullptr, procedure,
                                           reinterpret_cast<LPARAM>(&run));
    return static_cast<int>(result);
}

}  // namespace

std::optional<int> ScriptedDialogAnswer() {
    const char* setting = std::getenv("ZELK_DIALOG");
    if (setting == nullptr || *setting == '\0') {
        return std::nullopt;
    }
    return std::string_view(setting) == "ok" ? IDOK : IDCANCEL;
}

int Win32Platform::RunSetupDialog(Master& dialog) {
    if (const std::optional<int> answer = ScriptedDialogAnswer()) {
        return *answer;
    }
    DialogRun<std::string> run{dialog.m_strCoordinate};
    const int result = RunModal(m_module, IDD_SETUP, SetupDialogProc, run);
    if (run.confirmed) {
        dialog.m_strCoordinate = std::move(run.fields);
    }
    return result;
}

int Win32Platform::RunHeaderDialog(Cabrillo& dialog) {
    if (const std::optional<int> answer = ScriptedDialogAnswer()) {
        if (*answer == IDOK) {
            TakeOpeningSelections(dialog);
        }
        return *answer;
    }
    DialogRun<CabrilloHeaderFields> run{dialog};
    const int result = RunModal(m_module, IDD_CABRILLO, HeaderDialogProc, run);
    if (run.confirmed) {
        static_cast<CabrilloHeaderFields&>(dialog) = std::move(run.fields);
    }
    return result;
}

}  // namespace zelk
