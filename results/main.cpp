#include "results/mainform.h"
#include "common/exceptiondisplay.h"
#include "common/qtdialogs.h"
#include <QApplication>
#include <csignal>
#include <exception>

int main(int argc, char *argv[])
{
    // A write beyond the file-size limit fails (EFBIG) instead of ending the
    // program with the user's work: the settings and a printed file then
    // fail as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    // The title stays Russian in both languages: it is set before the
    // language is read.
    QApplication::setApplicationName(QString::fromUtf8("Результаты измерений"));
    QtDialogs dialogs;
    ui::Install(&dialogs);
    int rc = 0;
    try {
        TMainForm form(QApplication::arguments());
        form.show();
        rc = app.exec();
    } catch (const std::exception &e) {
        ShowException(nullptr, e);
    }
    ui::Install(nullptr);
    return rc;
}
