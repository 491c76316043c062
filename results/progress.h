#pragma once
// The progress dialog of a read from the instrument: receives the 99 result
// files one by one, the first at once and each further one on a tick of its
// 50 ms timer, so the bar and Cancel respond between two files.
#include "results/resread.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class TSerialPort;

class TProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TProgressForm(QWidget *parent = nullptr);

    // Runs the transfer of all files on port as a modal dialog (through the
    // dialog seam) and returns when it closes. The outcome is in Completed and
    // Failed(), the files in Files(). The port is not used after it returns.
    void StartReading(TSerialPort &port, const QString &deviceText);

    // The last transfer ran to its end (all 99 files came).
    bool Completed = true;
    // The last transfer ended because the line failed.
    bool Failed() const { return receiver_.Failed(); }
    const std::vector<ReceivedFile> &Files() const { return receiver_.Files(); }
    std::vector<ReceivedFile> TakeFiles() { return receiver_.TakeFiles(); }

    // Texts in the current language.
    void UpdateTexts();

    QLabel *DevNameLabel;
    QLabel *Label1;
    QProgressBar *ProgressBar;
    QPushButton *ProgressCancel;
    QTimer *StartTimer;

public slots:
    void readfile();
    void StartTimerTimer();
    void ProgressCancelClick();
    // Esc and the close box are a Cancel.
    void reject() override;

private:
    void Finish(int result);

    TSerialPort *TransferPort = nullptr; // the running transfer's; not owned
    ResultReceiver receiver_;
    int received_ = 0; // files received so far
    bool busy_ = false;
    bool finished_ = false;
};

// The one progress dialog, reused by every read.
extern TProgressForm *ProgressForm;
// ProgressForm, made on first use as a child of owner (which frees it).
TProgressForm &TheProgressForm(QWidget *owner);
