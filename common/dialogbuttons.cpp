#include "common/dialogbuttons.h"
#include <QDialog>
#include <QPushButton>

void SetDialogButtons(QDialog &dialog, QPushButton *defaultButton)
{
    // A button that is not auto-default passes Return on to the dialog,
    // which presses its default button: Cancel would then apply the dialog.
    for (QPushButton *b : dialog.findChildren<QPushButton *>())
        b->setAutoDefault(true);
    if (defaultButton)
        defaultButton->setDefault(true);
}
