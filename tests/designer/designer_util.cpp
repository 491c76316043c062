#include "tests/designer/designer_util.h"
#include "common/numtext.h"
#include <QApplication>
#include <QDir>
#include <QSaveFile>
#include <QSettings>

namespace {

// One large screen, so the window's default place (left 1010) lies on it.
struct LargeScreen {
    LargeScreen()
    {
        // A run that brings a screen of its own keeps it.
        if (qgetenv("QT_QPA_PLATFORM").contains("configfile="))
            return;
        const QString path = QDir::temp().filePath(QStringLiteral("q5m8_designer_screen.json"));
        // Test programs run in parallel: each replaces the file whole.
        QSaveFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(R"({"screens":[{"name":"big","x":0,"y":0,"width":2560,"height":1600,)"
                    R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
        f.commit();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toLocal8Bit());
    }
} largeScreen;

} // namespace

DesignerTest::DesignerTest()
{
    QApplication::setApplicationName(QStringLiteral("Scale"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    English = false;
    numtext::SetDecimalSeparator(',');
}

DesignerTest::~DesignerTest()
{
    form.reset();
    English = false;
}

TMainForm &DesignerTest::Start(const QStringList &args)
{
    form = std::make_unique<TMainForm>(args);
    return *form;
}

void DesignerTest::AnswerPoint(const QString &x, const QString &y)
{
    dialogs.forms.push_back([x, y](QDialog &d) {
        auto &f = dynamic_cast<TEditPointForm &>(d);
        f.setResult(0); // as exec() starts
        f.XValueEdit->setText(x);
        f.YValueEdit->setText(y);
        f.Button1->click();
        return f.result();
    });
}

void DesignerTest::AnswerCancel()
{
    dialogs.forms.push_back([](QDialog &d) {
        d.setResult(0);
        dynamic_cast<TEditPointForm &>(d).Button2->click();
        return d.result();
    });
}

void DesignerTest::Add(double x, double y)
{
    AnswerPoint(numtext::FloatToStr(x), numtext::FloatToStr(y));
    form->AddPointButtonClick();
}

std::vector<std::pair<double, double>> DesignerTest::DocPoints() const
{
    std::vector<std::pair<double, double>> p;
    for (int i = 0; i < form->Document.PointCount; ++i)
        p.emplace_back(form->Document.PointX[i], form->Document.PointY[i]);
    return p;
}

QString DesignerTest::SettingsFile() const { return QDir(settingsDir.path()).filePath(QStringLiteral("Scale.ini")); }
