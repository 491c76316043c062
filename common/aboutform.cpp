#include "common/aboutform.h"
#include "common/dialogs.h"
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

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

TAboutForm::TAboutForm(const AboutTexts &texts, const QString &version, QWidget *parent)
    : QDialog(parent), texts_(texts), version_(version)
{
    setObjectName(QStringLiteral("AboutForm"));
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
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TAboutForm::Button1Click);
}

void TAboutForm::Button1Click() { accept(); }

int TAboutForm::Execute()
{
    setWindowTitle(texts_.caption.Text());
    Title1Label->setText(texts_.title1.Text());
    Title2Label->setText(texts_.title2.Text());
    VerLabel->setText(VersionLabelText(version_));
    return ui::Current().ExecForm(*this);
}
