// Return on a focused button in the reader's dialogs: the comment query, the
// progress dialog of a read, About and the save prompt.
#include "common/aboutform.h"
#include "results/progress.h"
#include "results/readinstrument.h"
#include "tests/link/link_test_util.h"
#include "tests/support/dialog_return.h"

namespace {

QString CommentQuery(RecordingDialogs &)
{
    QtDialogs real;
    QString text = QStringLiteral("old");
    const bool ok = real.InputQuery(nullptr, QString::fromUtf8("Комментарий к файлу"),
                                    QString::fromUtf8("Комментарий"), text);
    return (ok ? QStringLiteral("applied, ") : QStringLiteral("cancelled, ")) + text;
}

// A read from the instrument stand-in, with its progress dialog up while the
// files come in.
QString ProgressDialog(RecordingDialogs &dialogs)
{
    Stand stand;
    TProgressForm form;
    const InstrumentRead read = ReadInstrument(nullptr, stand.Path(), form);
    return (read.completed ? QStringLiteral("read") : QStringLiteral("cancelled")) + QStringLiteral(", said ")
           + dialogs.Texts().join(u'|');
}

QString AboutDialog(RecordingDialogs &dialogs)
{
    TAboutForm form(OstrelAboutTexts());
    return Closed(form.Execute(), dialogs);
}

QString SavePrompt(RecordingDialogs &)
{
    QtDialogs real;
    switch (real.Message(nullptr, QString::fromUtf8("Результаты были изменены. Сохранить изменения ?"),
                         QString::fromUtf8("Результаты измерений"), ui::MbYesNoCancel | ui::MbIconQuestion)) {
    case ui::IdYes: return QStringLiteral("yes");
    case ui::IdNo: return QStringLiteral("no");
    case ui::IdCancel: return QStringLiteral("cancelled");
    default: return QStringLiteral("?");
    }
}

const DialogCase Cases[] = {
    {"CommentQueryCancel", QString::fromUtf8("Отмена"),
     [](QWidget *m) { TypeInto(m, nullptr, QStringLiteral("new")); }, CommentQuery, "cancelled, old"},
    {"CommentQueryOk", QStringLiteral("OK"), [](QWidget *m) { TypeInto(m, nullptr, QStringLiteral("new")); },
     CommentQuery, "applied, new"},
    {"ProgressCancel", QStringLiteral("ProgressCancel"), {}, ProgressDialog,
     "cancelled, said Чтение отменено пользователем!"},
    {"About", QStringLiteral("Button1"), {}, AboutDialog, "accepted"},
    {"SavePromptCancel", QString::fromUtf8("Отмена"), {}, SavePrompt, "cancelled"},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Results, DialogReturn, ::testing::ValuesIn(Cases),
                         [](const auto &info) { return std::string(info.param.name); });
