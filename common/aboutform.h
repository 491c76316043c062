#pragma once
// The About dialog both programs carry: two title lines in the current
// language and the program's version.
#include "common/lang.h"
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

struct AboutTexts {
    LangText caption;
    LangText title1;
    LangText title2;
};

// The title texts of the scale designer and of the results reader.
const AboutTexts &TarvikAboutTexts();
const AboutTexts &OstrelAboutTexts();

// The project version compiled into the programs ("3.0.0").
QString CompiledVersion();

// "v." and the four parts of a version ("3.0.0" reads "v.3.0.0.0"), or
// "v. ??.??.??.??" when version is empty or not made of numbers.
QString VersionLabelText(const QString &version);

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    TAboutForm(const AboutTexts &texts, const QString &version, QWidget *parent = nullptr);
    // With the compiled-in version.
    explicit TAboutForm(const AboutTexts &texts, QWidget *parent = nullptr);

    // Sets the texts for the current language and the version label, then
    // shows the dialog modally (through the dialog seam).
    int Execute();

    QLabel *Title1Label;
    QLabel *Title2Label;
    QLabel *VerLabel;
    QLabel *Image1;
    QFrame *Bevel1;
    QPushButton *Button1;

public slots:
    void Button1Click();

private:
    AboutTexts texts_;
    QString version_;
};
