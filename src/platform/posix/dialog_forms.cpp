// The two dialogs as forms. The header form follows the dialog's control
// table: its tab order, labels, lists (sorted where the box sorts) and
// enabled states; a combo box opens on the list item its opening rule picks.
#include "platform/posix/dialog_forms.h"

#include <algorithm>
#include <string_view>

#include "platform/posix/terminal_form.h"

namespace zelk::posix {
namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

Form SetupForm(const Master& dialog) {
    return {Master::kCaption,
            {{Master::kPrompt, FieldKind::Text, dialog.m_strCoordinate, {}, true}}};
}

void ApplySetupForm(const Form& form, Master& dialog) {
    dialog.m_strCoordinate = form.fields.at(0).value;
}

// One field per control, in tab order.
Form HeaderForm(const Cabrillo& dialog) {
    Form form{Cabrillo::kCaption, {}};
    for (const HeaderControl& control : HeaderControlsInTabOrder()) {
        FormField field{std::string(control.label),
                        FieldKind::Text,
                        dialog.*control.field,
                        {},
                        control.enabled};
        if (control.kind == ControlKind::MultiLineEdit) {
            field.kind = FieldKind::MultiLine;
        } else if (control.kind == ControlKind::ComboBox) {
            field.kind = FieldKind::Choice;
            field.items.assign(control.items.begin(), control.items.end());
            if (control.sorted) {
                std::stable_sort(field.items.begin(), field.items.end(), LessIgnoringCase);
            }
            if (const std::string_view* item = OpeningSelection(control, field.value)) {
                field.value = std::string(*item);
            }
        }
        form.fields.push_back(std::move(field));
    }
    return form;
}

// Puts the form back in the dialog's data-exchange order.
void ApplyHeaderForm(const Form& form, Cabrillo& dialog) {
    auto controls = HeaderControlsInTabOrder();
    for (int id : HeaderExchangeOrder()) {
        auto control = std::find_if(controls.begin(), controls.end(),
                                    [id](const HeaderControl& c) { return c.id == id; });
        std::size_t index = static_cast<std::size_t>(control - controls.begin());
        dialog.*control->field = form.fields.at(index).value;
    }
}

bool ConfirmsUnattended(const char* setting, std::ostream& warnings) {
    std::string_view value = setting ? setting : "";
    if (value.empty() || value == "ok") {
        return true;
    }
    if (value != "cancel") {
        warnings << "ZELK_DIALOG=" << value << " is neither ok nor cancel: the dialog is cancelled"
                 << std::endl;
    }
    return false;
}

template <typename Dialog, typename MakeForm, typename ApplyForm>
int Run(Dialog& dialog, MakeForm makeForm, ApplyForm applyForm, std::istream& in,
        std::ostream& out) {
    Form form = makeForm(dialog);
    if (!RunTerminalForm(form, in, out)) {
        return kDialogCancel;
    }
    applyForm(form, dialog);
    return kDialogOk;
}

template <typename Dialog, typename MakeForm, typename ApplyForm>
int RunUnattended(Dialog& dialog, MakeForm makeForm, ApplyForm applyForm, const char* setting,
                  std::ostream& warnings) {
    if (!ConfirmsUnattended(setting, warnings)) {
        return kDialogCancel;
    }
    applyForm(makeForm(dialog), dialog);
    return kDialogOk;
}

}  // namespace

int RunSetupDialogOn(Master& dialog, std::istream& in, std::ostream& out) {
    return Run(dialog, SetupForm, ApplySetupForm, in, out);
}

int RunHeaderDialogOn(Cabrillo& dialog, std::istream& in, std::ostream& out) {
    return Run(dialog, HeaderForm, ApplyHeaderForm, in, out);
}

int RunSetupDialogUnattended(Master& dialog, const char* setting, std::ostream& warnings) {
    return RunUnattended(dialog, SetupForm, ApplySetupForm, setting, warnings);
}

int RunHeaderDialogUnattended(Cabrillo& dialog, const char* setting, std::ostream& warnings) {
    return RunUnattended(dialog, HeaderForm, ApplyHeaderForm, setting, warnings);
}

}  // namespace zelk::posix
