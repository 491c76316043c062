#include "common/aboutform.h"
#include "common/dialogbuttons.h"
#include "common/dialogs.h"
#include "common/windowplace.h"
#include "version.h"
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <cmath>
#include <numbers>

const AboutTexts &TarvikAboutTexts()
{
    // "1.Х.Х" is written with the Cyrillic capital Х in both languages.
    static const AboutTexts texts{
        {"О программе", "About"},
        {"Программа создания аппроксимационных шкал", "Program for creating appraxial scales"},
        {"для приборов серий Q5-M8 версии 1.\u0425.\u0425", "of devices of Q5-M8 series version 1.\u0425.\u0425"},
    };
    return texts;
}

const AboutTexts &OstrelAboutTexts()
{
    static const AboutTexts texts{
        {"О программе", "About"},
        {"Программа работы с результатами измерений", "Software for working with measurement"},
        {"приборов серий  Q5-M8", "results of Q5-M8"},
    };
    return texts;
}

QString CompiledVersion() { return QStringLiteral(Q5M8_VERSION); }

namespace {

// A small instrument dial: the picture at the top left of the dialog.
QPixmap DialPicture(int side)
{
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(1, 1, side - 2, side - 2);
    p.setPen(QPen(QColor(40, 40, 60), 1.5));
    p.setBrush(QColor(235, 240, 250));
    p.drawRoundedRect(body, side / 8.0, side / 8.0);
    const QPointF centre(side / 2.0, side * 0.68);
    const double r = side * 0.40;
    // The scale: an arc of ticks with a red end zone.
    for (int i = 0; i <= 10; ++i) {
        const double a = (150.0 - i * 12.0) * std::numbers::pi / 180.0;
        const double inner = i % 5 == 0 ? r * 0.72 : r * 0.84;
        p.setPen(QPen(i >= 8 ? QColor(200, 30, 30) : QColor(20, 20, 20), i % 5 == 0 ? 1.6 : 1.0));
        p.drawLine(QPointF(centre.x() + inner * std::cos(a), centre.y() - inner * std::sin(a)),
                   QPointF(centre.x() + r * std::cos(a), centre.y() - r * std::sin(a)));
    }
    // The needle.
    const double n = 62.0 * std::numbers::pi / 180.0;
    p.setPen(QPen(QColor(0, 0, 128), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, QPointF(centre.x() + r * 0.92 * std::cos(n), centre.y() - r * 0.92 * std::sin(n)));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    p.drawEllipse(centre, side / 14.0, side / 14.0);
    return pm;
}

} // namespace

QString VersionLabelText(const QString &version)
{
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,5}$"));
    QStringList parts = version.split(u'.');
    if (version.isEmpty() || parts.size() > 4)
        return QStringLiteral("v. ??.??.??.??");
    for (const QString &p : parts)
        if (!number.match(p).hasMatch() || p.toInt() > 65535)
            return QStringLiteral("v. ??.??.??.??");
    while (parts.size() < 4)
        parts << QStringLiteral("0");
    for (QString &p : parts)
        p = QString::number(p.toInt());
    return QStringLiteral("v.") + parts.join(u'.');
}

TAboutForm::TAboutForm(const AboutTexts &texts, QWidget *parent) : TAboutForm(texts, CompiledVersion(), parent) {}

TAboutForm::TAboutForm(const AboutTexts &texts, const QString &version, QWidget *parent)
    : QDialog(parent), texts_(texts), version_(version)
{
    setObjectName(QStringLiteral("AboutForm"));
    // A dialog frame whose only border icon is the help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowContextHelpButtonHint);
    setWindowTitle(QString::fromUtf8("О программе"));
    setFixedSize(420, 200);
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 404, 140);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 16, 32, 32);
    Image1->setPixmap(DialPicture(32));
    QFont bold = font();
    bold.setBold(true);
    Title1Label = new QLabel(this);
    Title1Label->setObjectName(QStringLiteral("Title1Label"));
    Title1Label->setFont(bold);
    Title1Label->setGeometry(56, 20, 350, 20);
    Title2Label = new QLabel(this);
    Title2Label->setObjectName(QStringLiteral("Title2Label"));
    Title2Label->setFont(bold);
    Title2Label->setGeometry(56, 44, 350, 20);
    QFont big = bold;
    big.setPointSizeF(bold.pointSizeF() * 1.4);
    VerLabel = new QLabel(this);
    VerLabel->setObjectName(QStringLiteral("VerLabel"));
    VerLabel->setFont(big);
    VerLabel->setGeometry(56, 90, 350, 30);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(170, 160, 80, 28);
    SetDialogButtons(*this, Button1);
    connect(Button1, &QPushButton::clicked, this, &TAboutForm::Button1Click);
}

void TAboutForm::Button1Click() { accept(); }

int TAboutForm::Execute()
{
    setWindowTitle(texts_.caption.Text());
    Title1Label->setText(texts_.title1.Text());
    Title2Label->setText(texts_.title2.Text());
    VerLabel->setText(VersionLabelText(version_));
    CentreOnDesktop(*this);
    return ui::Current().ExecForm(*this);
}
