#pragma once
// The dialog of the scales stored in the instrument: its version and list,
// the delete of a user scale and the load of one back into the designer.
#include "transfer/scaleimport.h"
#include "transfer/scaletransfer.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;
class ScaleDocument;

// The last list read, for the whole run: entry k and its address byte
// (ScaleList.address stands for the address array).
extern ScaleListData ScaleList;

class TScaleListForm : public QDialog {
    Q_OBJECT
public:
    explicit TScaleListForm(QWidget *parent = nullptr);

    // Texts, port list, an empty grid, Load and Delete disabled; shows the
    // dialog modally.
    int Execute();
    void CreatCOMPortList();
    // The list exchange inside a started connection: fills ScaleList and the
    // grid and enables Delete. A failure empties both and disables Load and
    // Delete before it is raised.
    void GetScaleList(TSerialPort &port);

    QLabel *Label1;
    QLabel *DeviceLabel;
    QGroupBox *PortGroupBox;
    QComboBox *PortCom;
    QTableWidget *ScaleGrid;
    QPushButton *BitBtn1, *BitBtn2, *DelBtn, *LoadBtn;

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void DelBtnClick();
    void LoadBtnClick();

private:
    void ResetGrid();
    void DropList(); // after a failure: no rows, nothing to act on
};

extern TScaleListForm *ScaleListForm;

// The scale-list menu command without its window: shows form, then imports
// a loaded scale through steps (ScaleLoaded cleared on every way out).
bool ScaleListCommand(TScaleListForm &form, ScaleDocument &doc, const ImportSteps &steps);
