#pragma once
// The buttons of the programs' own dialogs, as a user expects them: Return
// presses the button that has the focus, and the dialog's default button
// while the focus is on anything else (an edit, a grid); Esc cancels.
class QDialog;
class QPushButton;

// Every push button of dialog takes Return while it has the focus;
// defaultButton (may be null: none) takes it from the rest of the dialog.
// Call it once the dialog's buttons are made.
void SetDialogButtons(QDialog &dialog, QPushButton *defaultButton);
