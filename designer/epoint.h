#pragma once
// The dialog that adds or changes one calibration point.
#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TEditPointForm : public QDialog {
    Q_OBJECT
public:
    explicit TEditPointForm(QWidget *parent = nullptr);

    // Shows the dialog for one point under caption; true when confirmed, with
    // x and y replaced by the entered values; false leaves them untouched.
    bool Execute(const QString &caption, double &x, double &y);

    QLabel *Label1;
    QLineEdit *XValueEdit;
    QLabel *Label2;
    QLineEdit *YValueEdit;
    QPushButton *Button1;
    QPushButton *Button2;
    QFrame *Bevel1;

public slots:
    // OK: closes only when both values parse; otherwise says which one is
    // wrong and puts the focus there.
    void Button1Click();
};
