#include "results/progress.h"

#include "common/dialogbuttons.h"
#include "common/dialogs.h"
#include "common/lang.h"
#include "common/windowplace.h"
#include "link/serialnt.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

TProgressForm *ProgressForm = nullptr;

TProgressForm &TheProgressForm(QWidget *owner)
{
    if (!ProgressForm) {
        ProgressForm = new TProgressForm(owner);
        QObject::connect(ProgressForm, &QObject::destroyed, [] { ProgressForm = nullptr; });
    }
    return *ProgressForm;
}

TProgressForm::TProgressForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ProgressForm"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    setFixedSize(330, 130);

    DevNameLabel = new QLabel(this);
    DevNameLabel->setObjectName(QStringLiteral("DevNameLabel"));
    DevNameLabel->setAlignment(Qt::AlignCenter);
    DevNameLabel->setGeometry(8, 8, 314, 18);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 32, 298, 18);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(16, 56, 298, 18);
    ProgressBar->setRange(0, ResultFileCount);
    ProgressBar->setTextVisible(false);

    ProgressCancel = new QPushButton(this);
    ProgressCancel->setObjectName(QStringLiteral("ProgressCancel"));
    ProgressCancel->setGeometry(127, 90, 75, 25);
    SetDialogButtons(*this, nullptr);
    connect(ProgressCancel, &QPushButton::clicked, this, &TProgressForm::ProgressCancelClick);

    StartTimer = new QTimer(this);
    StartTimer->setObjectName(QStringLiteral("StartTimer"));
    StartTimer->setInterval(50);
    connect(StartTimer, &QTimer::timeout, this, &TProgressForm::StartTimerTimer);

    UpdateTexts();
}

void TProgressForm::UpdateTexts()
{
    setWindowTitle(Lang("Результаты измерений", "Measurement results"));
    ProgressCancel->setText(Lang("Отмена", "Cancel"));
    Label1->setText(Lang("Принято файлов ", "Get files ") + QString::number(received_) + Lang(" из ", " from ")
                    + QString::number(ResultFileCount));
}

void TProgressForm::StartReading(TSerialPort &port, const QString &deviceText)
{
    DevNameLabel->setText(deviceText);
    ProgressBar->setMaximum(ResultFileCount);
    ProgressBar->setValue(0);
    received_ = 0;
    UpdateTexts();
    TransferPort = &port;
    receiver_.Reset();
    finished_ = false;
    Completed = false;

    readfile(); // the first file before the dialog shows
    if (!finished_) {
        StartTimer->start();
        CentreOnDesktop(*this);
        ui::Current().ExecForm(*this);
    }
    // However the dialog went, nothing may run on the port once it is back
    // with its owner, who closes it.
    StartTimer->stop();
    TransferPort = nullptr;
    Completed = receiver_.Done();
}

void TProgressForm::readfile()
{
    if (!TransferPort || busy_ || finished_)
        return;
    busy_ = true;
    const int i = receiver_.NextIndex();
    const bool ok = receiver_.ReceiveNext(*TransferPort);
    busy_ = false;
    if (!ok) {
        Finish(QDialog::Rejected);
        return;
    }
    received_ = i + 1;
    ProgressBar->setValue(i);
    UpdateTexts();
    if (receiver_.Done()) {
        Completed = true;
        Finish(QDialog::Accepted);
    }
}

void TProgressForm::StartTimerTimer() { readfile(); }

void TProgressForm::ProgressCancelClick()
{
    Completed = false;
    Finish(QDialog::Rejected);
}

void TProgressForm::reject() { ProgressCancelClick(); }

void TProgressForm::Finish(int result)
{
    StartTimer->stop();
    finished_ = true;
    if (isVisible())
        done(result);
}
