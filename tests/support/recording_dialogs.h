#pragma once
// A dialog seam for tests: records every request and answers from a script.
#include "common/dialogs.h"
#include <deque>
#include <functional>
#include <vector>

struct RecordedMessage {
    QObject *owner;
    QString text;
    QString caption;
    unsigned flags;
};

class RecordingDialogs : public ui::Dialogs {
public:
    RecordingDialogs();   // installs itself
    ~RecordingDialogs() override; // restores the previous seam

    std::vector<RecordedMessage> messages;
    std::deque<int> answers;          // next message results; empty: IdOk/IdYes
    std::deque<QString> inputs;       // next InputQuery values; empty: cancelled
    std::deque<QString> openPaths;    // next open-file answers; empty: cancelled
    std::deque<QString> savePaths;    // next save-file answers; empty: cancelled
    std::vector<ui::FileRequest> fileRequests;
    // Next print dialogs: each sets up the printer (e.g. PDF output) and
    // answers; empty: cancelled.
    std::deque<std::function<bool(QPrinter &)>> printSetups;
    // The page counter of the print dialog that runs (or ran last): an answer
    // calls it to see what a dialog offers for the paper it picked.
    ui::PageCounter pageCounter;
    // Next program forms: each drives the shown form (fills it, clicks its
    // buttons) and returns the result ExecForm gives; empty: rejected.
    std::deque<std::function<int(QDialog &)>> forms;
    int formCount = 0;

    int Message(QObject *owner, const QString &text, const QString &caption, unsigned flags) override;
    bool InputQuery(QObject *owner, const QString &caption, const QString &prompt, QString &value) override;
    bool OpenFileName(QObject *owner, const ui::FileRequest &request, QString &path) override;
    bool SaveFileName(QObject *owner, const ui::FileRequest &request, QString &path) override;
    bool PrintSetup(QObject *owner, QPrinter &printer, const ui::PageCounter &pages) override;
    int ExecForm(QDialog &form) override;

    // Texts of the recorded messages, in order.
    QStringList Texts() const;
    void Clear() { messages.clear(); fileRequests.clear(); }

private:
    ui::Dialogs *previous_;
};

// Lets gtest print QStrings.
void PrintTo(const QString &s, std::ostream *os);
