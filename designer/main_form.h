#pragma once
// Tarvik's main window: the points grid, the table memo and the parameters
// on MainPanel, the description on TopPanel, the graph in the client area
// the two panels leave free, and the Russian and English menus.
#include "common/lang.h"
#include "graph/net.h"
#include "scale/scaledocument.h"
#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <memory>

class QAction;
class QPrinter;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;
class TAboutForm;
class TEditPointForm;
class TNetSizeForm;
class TPointsGrid;
class TPointsModel;
class TPRx54ProgForm;
class TScaleListForm;
class TRadioGroup;
class TTableMemo;
class TTableMemoModel;
struct ImportSteps;
struct RecalcReport;

// Alignment of MainPanel, with the numbers the settings store.
enum TPanelAlign : int { alLeft = 3, alRight = 4 };

// The value readout under the cursor: x without decimals in five places, y
// with the decimals of the table format item (index 0 to 3; any other as 0),
// always with '.'.
QString ReadoutText(double x, double y, int formatIndex);

// The form's client area: paints the graph and takes the mouse where the
// panels leave it free (they keep their own mouse events).
class TClientArea : public QWidget {
public:
    explicit TClientArea(class TMainForm *form);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    TMainForm *form_;
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // args: the command line after the program name; the first names a scale
    // file to open.
    explicit TMainForm(const QStringList &args = {}, QWidget *parent = nullptr);
    ~TMainForm() override;

    // The scale being designed.
    ScaleDocument Document;

    // Graph view.
    std::unique_ptr<TNet> Graph; // created by the first paint
    // The printer of the last print job (created at the first), so the next
    // one offers the same printer and paper.
    std::unique_ptr<QPrinter> Printer;
    int GraphOriginX = 1;
    int GraphOriginY = 1;
    bool Zooming = false;
    QPoint ZoomStart;
    QPoint ZoomEnd;

    // Components.
    TClientArea *ClientArea;
    QFrame *TopPanel;
    QFrame *TopBevel;
    QLabel *Label5;
    QLineEdit *ScaleEdit;
    QFrame *MainPanel;
    QLabel *PosLabel;
    QLabel *Label9;
    QLineEdit *XNameEdit;
    QLabel *Label7;
    QLineEdit *YNameEdit;
    QLabel *Label10;
    QLineEdit *DescriptionEdit;
    TRadioGroup *ATypeRadioGroup;
    QComboBox *PowerComboBox;
    QLabel *Panel1;
    QGroupBox *Bevel1;
    QLabel *Label1;
    QLineEdit *MinEdit;
    QLabel *Label4;
    QLineEdit *MaxEdit;
    QLabel *Label3;
    QLineEdit *StepEdit;
    QLabel *Label6;
    QComboBox *ScalePwrComboBox;
    QCheckBox *IntervalsCheckBox;
    QLabel *Label8;
    QLineEdit *MaxErrEdit;
    TPointsGrid *PointsGrid;
    QScrollBar *RowScrollBar;
    TTableMemo *TableMemo;
    QFrame *BottomPanel;
    QPushButton *AddPointButton;
    QPushButton *DelPointButton;
    QPushButton *EditPointButton;
    QPushButton *BitBtn1;

    // The two main menus; one of them is on the menu bar at a time.
    QList<QMenu *> MainMenu;    // N1, N2
    QList<QMenu *> MainMenuEng; // MenuItem1, MenuItem15
    QMenu *N1, *N2;
    QAction *OpenItem, *SaveItem, *ClearItem, *PrintGraphikItem, *PrintTableItem, *Scalelist, *ProgrammItem,
        *ExitItem, *AboutProg, *English1;
    QMenu *MenuItem1, *MenuItem15;
    QAction *MenuItem2, *MenuItem4, *MenuItem6, *MenuItem8, *MenuItem9, *MenuItem11, *MenuItem12, *MenuItem14,
        *MenuItem17, *MenuItem18;
    QMenu *PopupMenu;
    QAction *LeftItem, *RightItem, *TableViewItem;

    TPointsModel *PointsModel;
    TTableMemoModel *TableMemoModel;

    // The dialogs, created with the window and reused.
    TEditPointForm *EditPointForm;
    TNetSizeForm *NetSizeForm;
    TAboutForm *AboutForm;
    TPRx54ProgForm *PRx54ProgForm;
    TScaleListForm *ScaleListForm;

    // Open and save dialog filters of the current language.
    QString OpenDialogFilter;
    QString SaveDialogFilter;

    TPanelAlign MainPanelAlign() const { return panelAlign_; }
    // The menu on the menu bar now.
    const QList<QMenu *> &CurrentMenu() const { return English ? MainMenuEng : MainMenu; }
    int GraphWidth() const;
    int GraphHeight() const;

    // Start and end.
    void FormCreate(const QStringList &args);
    void FormDestroy();
    void FormCloseQuery(bool &CanClose);

    // Menu commands.
    void OpenItemClick();
    void SaveItemClick();
    void ClearItemClick();
    void PrintGraphikItemClick();
    void PrintTableItemClick();
    void ScalelistClick();
    void RX54ItemClick();
    // What the scale-list command does around an import, bound to this window.
    ImportSteps ScaleImportSteps();
    void ExitItemClick();
    void AboutProgClick();
    void English1Click();
    void UpdateLangauge();

    // Scale file and clearing.
    // Offers to save unsaved work, then empties the scale. False, with the
    // scale as it was, on Cancel or when the offered save was cancelled or
    // failed (the failure already shown).
    bool TryClearAll();
    void DoOpenFile(const QString &path);
    // Asks for a file name and writes the scale there; false when the user
    // cancelled. A write failure throws, with the scale and caption unchanged.
    bool SaveToChosenFile();

    // Points and recalculation.
    void CalcButtonClick();
    void UpdateGraph();
    void AddPointButtonClick();
    void EditPointButtonClick();
    void DelPointButtonClick();
    void PointsGridDrawCell(QPainter &painter, int ACol, int ARow, const QRect &Rect, bool selected);
    void PointsGridSelectCell(int ARow);
    void RowScrollBarChange();
    // True when the key was one of the grid's commands (consumed).
    bool PointsGridKeyDown(int key);
    void PowerComboBoxChange();
    bool MinEditKeyDown(int key);
    void XNameEditChange();
    void DescriptionEditChange();
    void ScaleEditChange();

    // Graph view.
    void FormPaint();
    void FormResize();
    void MainPanelResize();
    void TopPanelResize();
    void RightItemClick();
    void LeftItemClick();
    void TableViewItemClick(QObject *sender);
    void FormDblClick();
    // Positions are client coordinates taken from the mouse event.
    void FormMouseDown(Qt::MouseButton button, const QPoint &pos);
    void FormMouseMove(const QPoint &pos);
    void FormMouseUp();
    // Whether a client position lies on the plot (edges included); never
    // before the graph exists.
    bool PlotContains(const QPoint &pos) const;
    // Sets the graph range and redraws; a range the graph would refuse
    // leaves the old one (false).
    bool ApplyGraphRange(double xMin, double xMax, double yMin, double yMax);

    // Paints the client area (the body of FormPaint, inside a paint event).
    void PaintClient(QPainter &painter);
    // Places the panels as their alignment says (the class library's realign).
    void AlignPanels();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildMenus();
    void BuildPanels();
    void Connect();
    // The controls' values into the document.
    void ControlsToDocument();
    // An imported scale into the controls, their change handlers quiet, and
    // the grid onto its last point.
    void ShowImportedScale();
    QPrinter &ThePrinter();
    // A recalculation's messages, and the focus to a refused edit.
    void ShowReport(const RecalcReport &report);
    void ShowGraphMessages();
    void SetPanelAlign(TPanelAlign align);
    // The grid after the points changed: rows, current row, scroll bar.
    void PointsChanged(int row);
    void FirstPaintDone();

    TPanelAlign panelAlign_ = alRight;
    bool painting_ = false;
    bool firstPaintPending_ = false;
};
