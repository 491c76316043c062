#pragma once
// The results reader's main window: the results tree with its statistics,
// the value list of the selected node, comments, results files, both menu
// sets and popups, and the settings kept between runs.
#include "results/resmodel.h"
#include <QMainWindow>
#include <QStringList>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QSettings;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;
class QPrinter;
class TAboutForm;
struct TreeNode;

// The settings store of the reader ("Ostrel"): sections "Language" and "Window".
QSettings *NewOstrelSettings();

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window, reads the settings and loads the results file the
    // first argument after the program names, if any.
    explicit TMainForm(const QStringList &arguments, QWidget *parent = nullptr);
    ~TMainForm() override; // writes the settings back

    // The loaded results; Files[i].Index == i.
    ResultsData Results;
    QString &DeviceText = Results.DeviceText;
    QString &CommonRemark = Results.CommonRemark;
    int &FileCount = Results.FileCount;
    std::vector<TResFile> &Files = Results.Files;
    // Node under the last right click; reset whenever the tree is rebuilt.
    QTreeWidgetItem *SelectedNode = nullptr;
    bool Modified = false;
    // The file last chosen in the open dialog (kept when it is cancelled).
    QString OpenDialogFileName;
    // The printer of the last print (created at the first one).
    std::unique_ptr<QPrinter> Printer;

    // Components (object names as the form has them).
    QWidget *ClientArea;
    QWidget *Panel2;
    QLabel *VerPanel;
    QGroupBox *PortGroupBox;
    QComboBox *ComBox;
    QPushButton *BitBtn1;
    QSplitter *MainSplitter;
    QTreeWidget *ResTree;
    QWidget *MemoPanel;
    QPlainTextEdit *ResMemo;
    QMenuBar *MainMenu;
    QMenuBar *MainMenuEng;
    QMenu *PopupMenu;
    QMenu *PopupMenuEng;
    TAboutForm *AboutForm;
    // MainMenu / PopupMenu
    QAction *N2, *LoadItem, *SaveItem, *ClearItem, *ExitItem, *AboutItem, *EnglishItem;
    QAction *RemarkItem, *CopyItem, *PrintItem, *CalcItem;
    // MainMenuEng / PopupMenuEng
    QAction *MenuItem2, *MenuItem9, *MenuItem10, *MenuItem12, *MenuItem14, *MenuItem17, *RussianItem;
    QAction *MenuItem19, *MenuItem21, *MenuItem22, *MenuItem24;

    // Asks to save unsaved results (Yes/No/Cancel), then clears them. False
    // when the user cancelled, or answered Yes and the save was cancelled or
    // failed: then nothing is cleared.
    bool TryClearResults();
    // Reads a results file into the (cleared) results and builds the tree.
    void DoLoadFile(const QString &path);
    // Writes the results to a file the user chooses. True when saved or
    // nothing was to be saved; false when cancelled. A failing write throws.
    bool SaveResults();
    // Takes the files of a read from the instrument (the results were
    // cleared before): computes the statistics, builds the tree, marks the
    // results modified. A reading that is not a number keeps its place; the
    // conversion message is shown once.
    StatisticReport InstallReadResults(const QString &deviceText, const std::vector<std::vector<TValue>> &files);

    void StatisticList(int File);
    void BuildTree();
    void AddFileNodes(QTreeWidgetItem *parent, int i);
    void ShowValues();
    void ApplyLanguage();
    void CreatCOMPortList();
    // The node of file i that holds its nodes: its file node, or the remark
    // root when only one file is loaded.
    QTreeWidgetItem *FileOwnNode(int i) const;

    // Handlers; each shows what it raises.
    void Rx5ItemClick();
    void LoadItemClick();
    void SaveItemClick();
    void ClearItemClick();
    void ExitItemClick();
    void AboutItemClick();
    void EnglishItemClick();
    void RussianItemClick();
    void RemarkItemClick();
    void CopyItemClick();
    void PrintItemClick();
    void BitBtn1Click();
    void ResTreeChange();
    void ResTreeMouseDown(Qt::MouseButton button, const QPoint &pos);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Whether pos (viewport coordinates) lies on item's label.
    bool OnItemLabel(QTreeWidgetItem *item, const QPoint &pos) const;
    void ReadSettings();
    void WriteSettings();
    void SwitchLanguage(bool english);
    bool AskComment(const QString &caption, QString &text);
    QString FileFilter() const;
};
