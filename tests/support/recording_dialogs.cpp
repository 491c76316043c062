#include "tests/support/recording_dialogs.h"
#include <ostream>

RecordingDialogs::RecordingDialogs() : previous_(ui::Install(this)) {}
RecordingDialogs::~RecordingDialogs() { ui::Install(previous_); }

int RecordingDialogs::Message(QObject *owner, const QString &text, const QString &caption, unsigned flags)
{
    messages.push_back({owner, text, caption, flags});
    if (!answers.empty()) {
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    unsigned b = ui::ButtonsOf(flags);
    return (b == ui::MbYesNo || b == ui::MbYesNoCancel) ? ui::IdYes : ui::IdOk;
}

bool RecordingDialogs::InputQuery(QObject *, const QString &, const QString &, QString &value)
{
    if (inputs.empty())
        return false;
    value = inputs.front();
    inputs.pop_front();
    return true;
}

static bool Take(std::deque<QString> &q, QString &path)
{
    if (q.empty())
        return false;
    path = q.front();
    q.pop_front();
    return true;
}

bool RecordingDialogs::OpenFileName(QObject *, const ui::FileRequest &request, QString &path)
{
    fileRequests.push_back(request);
    return Take(openPaths, path);
}

bool RecordingDialogs::SaveFileName(QObject *, const ui::FileRequest &request, QString &path)
{
    fileRequests.push_back(request);
    return Take(savePaths, path);
}

bool RecordingDialogs::PrintSetup(QObject *, QPrinter &printer, const ui::PageCounter &pages)
{
    pageCounter = pages;
    if (printSetups.empty())
        return false;
    auto answer = std::move(printSetups.front());
    printSetups.pop_front();
    return answer(printer);
}

int RecordingDialogs::ExecForm(QDialog &form)
{
    ++formCount;
    if (forms.empty())
        return 0; // QDialog::Rejected
    auto drive = std::move(forms.front());
    forms.pop_front();
    return drive(form);
}

QStringList RecordingDialogs::Texts() const
{
    QStringList out;
    for (const auto &m : messages)
        out << m.text;
    return out;
}

void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
