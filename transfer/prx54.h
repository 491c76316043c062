#pragma once
// The write dialog: shows the integer points of a scale and writes them into
// the instrument as one scale record. Also holds what the two instrument
// dialogs share: the record buffer, the loaded flag and the remembered port.
#include "link/scalerecord.h"
#include "transfer/scaletransfer.h"

#include <QDialog>
#include <QString>
#include <cstdint>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class ScaleDocument;

// Living for the whole run.
extern ScaleRecord ScaleBuffer;   // the last record built or loaded
extern bool ScaleLoaded;          // a load succeeded and is not yet imported
extern std::uint8_t PortIndex;    // the port box's index at the last store (no selection: 255)
extern QString PortText;          // the port box's text then (a typed device path)

// Fills a port box with the machine's serial ports and selects the
// remembered entry; a remembered typed path is shown again.
void CreatCOMPortList(QComboBox *box);
// Remembers the box's index (its low 8 bits) and text for the run.
void StorePortIndex(const QComboBox *box);

class TPRx54ProgForm : public QDialog {
    Q_OBJECT
public:
    explicit TPRx54ProgForm(QWidget *parent = nullptr);

    // Sets the dialog up for these points and shows it modally.
    int Execute(const QString &xTitle, const QString &name, const QString &units, int count, const std::int32_t *x,
                const std::int32_t *y, int decimals);
    int Execute(const ScaleWriteData &data);
    void CreatCOMPortList();

    QString ScaleName;  // padded with blanks to at least 10
    QString ScaleUnits; // padded with blanks to at least 6
    std::vector<std::int32_t> IntX, IntY;
    int IntCount = 0;
    int Decimals = 0;

    QLabel *Label1, *Label2, *Label3, *Label4;
    QLineEdit *ScaleNameEdit, *ScaleDescriptionEdit, *PowerEdit;
    QTableWidget *PointsGrid;
    QGroupBox *PortGroupBox;
    QComboBox *PortComboBox;
    QPushButton *BitBtn1, *BitBtn2;

public slots:
    void BitBtn1Click();

private:
    ScaleWriteData data_;
};

extern TPRx54ProgForm *PRx54ProgForm;

// The write menu command: refuses a scale without programming points (and
// values or texts the instrument cannot hold) with a box, otherwise shows
// form with the points.
void ScaleWriteCommand(QObject *owner, const ScaleDocument &doc, TPRx54ProgForm &form);
