#pragma once
// The programs' side of the dialog seam: real Qt dialogs; and the print job
// that both programs run through it.
#include "common/dialogs.h"
#include <vector>

class QtDialogs : public ui::Dialogs {
public:
    int Message(QObject *owner, const QString &text, const QString &caption, unsigned flags) override;
    bool InputQuery(QObject *owner, const QString &caption, const QString &prompt, QString &value) override;
    bool OpenFileName(QObject *owner, const ui::FileRequest &request, QString &path) override;
    bool SaveFileName(QObject *owner, const ui::FileRequest &request, QString &path) override;
    bool PrintSetup(QObject *owner, QPrinter &printer, const ui::PageCounter &pages) override;
    int ExecForm(QDialog &form) override;
};

namespace ui {

// Runs the print dialog (through the seam) for a new job on printer. Of the
// last job the printer keeps its printer, paper and file, never its page
// choice: the dialog offers all pages of this job, from 1 to as many as pages
// counts on the printer as it stands. False when cancelled.
bool AskPrintJob(QObject *owner, QPrinter &printer, const PageCounter &pages);

// The pages (1-based, ascending) that the dialog's choice takes of a job of
// count pages (counted on the paper chosen): every page, or the pages of the
// ranges chosen that the job has.
std::vector<int> ChosenPages(const QPrinter &printer, int count);

// ChosenPages; when the choice holds none of the job's pages, the error box
// that says so (NoPagesText) before the empty answer.
std::vector<int> PagesToPrint(QObject *owner, const QPrinter &printer, int count);

// "The chosen range holds no page: the print has pages 1 to <count>."
QString NoPagesText(int count);

} // namespace ui
