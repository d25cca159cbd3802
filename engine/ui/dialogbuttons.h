#pragma once
// The OK and Cancel buttons of the engine's dialogs, named so that the language files reach
// them ("btnOK", "btnCancel").
class QDialog;
class QDialogButtonBox;

namespace nimbra::ui {

// withCancel false: OK alone.
QDialogButtonBox* OkCancelButtons(QDialog* dialog, bool withCancel = true);

}  // namespace nimbra::ui
