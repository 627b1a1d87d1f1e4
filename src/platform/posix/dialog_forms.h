// The plug-in's two dialogs on POSIX: the setup dialog and the Cabrillo
// header dialog as terminal forms, and the choice made for them when no
// terminal is attached (environment variable ZELK_DIALOG).
#pragma once

#include <istream>
#include <ostream>

#include "contest/cabrillo_dialog.h"
#include "contest/master_dialog.h"

namespace zelk::posix {

// The button that ended a dialog.
inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

// Run the dialog as a form on the two streams. On OK the dialog's fields
// take what the form shows; otherwise the dialog is left unchanged.
int RunSetupDialogOn(Master& dialog, std::istream& in, std::ostream& out);
int RunHeaderDialogOn(Cabrillo& dialog, std::istream& in, std::ostream& out);

// Without a terminal: OK as if pressed at once (the fields take what the
// dialog shows when it opens), or cancel. `setting` is ZELK_DIALOG's value,
// null when unset; "ok" or unset confirms, "cancel" cancels, anything else
// cancels with a warning on `warnings`.
int RunSetupDialogUnattended(Master& dialog, const char* setting, std::ostream& warnings);
int RunHeaderDialogUnattended(Cabrillo& dialog, const char* setting, std::ostream& warnings);

}  // namespace zelk::posix
