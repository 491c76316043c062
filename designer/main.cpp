// Tarvik, the scale designer.
#include "common/numtext.h"
#include "common/qtdialogs.h"
#include "designer/main_form.h"
#include <QApplication>
#include <QStandardPaths>
#include <csignal>

int main(int argc, char *argv[])
{
    // A write beyond the file-size limit fails (EFBIG) instead of ending the
    // program with the user's work: the settings, a printed file and the
    // coefficients file then fail as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    // The caption of the exception display and of the plain message boxes.
    QApplication::setApplicationName(QStringLiteral("Scale"));
    numtext::SetDecimalSeparator(',');
    QtDialogs dialogs;
    ui::Install(&dialogs);
    {
        TMainForm MainForm(QApplication::arguments().mid(1));
        MainForm.Document.CoefDirectory = QApplication::applicationDirPath();
        // An installed program's folder takes no file: then the user's data folder.
        MainForm.Document.CoefUserDirectory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        MainForm.show();
        app.exec();
    }
    ui::Install(nullptr);
    return 0;
}
