#pragma once
// The axis-range dialog: the four limits of the graph, typed with the
// process decimal separator.
#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TNetSizeForm : public QDialog {
    Q_OBJECT
public:
    explicit TNetSizeForm(QWidget *parent = nullptr);

    // Shows the four values and runs the dialog (through the dialog seam);
    // true, with the four values replaced, only when it closed with OK. An
    // edit left as shown keeps its value exactly, not as its rounded text.
    bool Execute(double &xMin, double &xMax, double &yMin, double &yMax);

    QLabel *Label1; // maximum x
    QLabel *Label2; // minimum x
    QLabel *Label3; // maximum y
    QLabel *Label4; // minimum y
    QLineEdit *MinXEdit;
    QLineEdit *MaxXEdit;
    QLineEdit *MinYEdit;
    QLineEdit *MaxYEdit;
    QPushButton *OkButton;
    QPushButton *BitBtn2;
    QFrame *Bevel1;

public slots:
    // Converts the four edits; the first that is no number, or that gives a
    // range the graph cannot draw, gets its message and the dialog stays open
    // with the focus where it was.
    void OkButtonClick();

private:
    enum { MinX, MaxX, MinY, MaxY, Fields };
    QLineEdit *Edit(int field) const;
    bool Convert(int field, double &value) const;
    // The first field (in the dialog's order) that is no number or that the
    // graph cannot draw, with v filled up to it; Fields when all four pass.
    int FieldAtFault(double (&v)[Fields]) const;

    QString shownText_[Fields];
    double shownValue_[Fields] = {};
    double value_[Fields] = {};
};
