#include "results/mainform.h"
#include "results/clipboardtext.h"
#include "results/printresults.h"
#include "results/resfile.h"
#include "results/progress.h"
#include "results/readinstrument.h"
#include "results/restree.h"
#include "common/portbox.h"
#include "common/aboutform.h"
#include "common/dialogs.h"
#include "common/exceptiondisplay.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "common/qttranslation.h"
#include "common/settingsread.h"
#include "common/windowplace.h"
#include "common/win1251.h"
#include "link/portlist.h"
#include "version.h"
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>

namespace {

constexpr int DefaultLeft = 842, DefaultTop = 133, DefaultWidth = 838, DefaultHeight = 648;
constexpr int DefaultMemWidth = 200;

const AboutTexts OstrelAbout{
    {"О программе", "About"},
    {"Программа работы с результатами измерений", "Software for working with measurement"},
    {"приборов серий  Q5-M8", "results of Q5-M8"},
};

QFont MonoFont(int pixels)
{
    QFont font(QStringLiteral("Liberation Mono"));
    font.setStyleHint(QFont::Monospace);
    if (pixels > 0)
        font.setPixelSize(pixels);
    return font;
}

QTreeWidgetItem *MakeItem(const TreeNode &node)
{
    auto *item = new QTreeWidgetItem(QStringList{node.text});
    item->setData(0, Qt::UserRole, node.data);
    for (const TreeNode &child : node.children)
        item->addChild(MakeItem(child));
    return item;
}

void ExpandAll(QTreeWidgetItem *item)
{
    item->setExpanded(true);
    for (int i = 0; i < item->childCount(); ++i)
        ExpandAll(item->child(i));
}

int NodeDataOf(const QTreeWidgetItem *item) { return item ? item->data(0, Qt::UserRole).toInt() : 0; }

// Index path of an item from its root, to find its like after a rebuild.
QList<int> PathOf(QTreeWidgetItem *item)
{
    QList<int> path;
    for (; item; item = item->parent())
        path.prepend(item->parent() ? item->parent()->indexOfChild(item)
                                    : item->treeWidget()->indexOfTopLevelItem(item));
    return path;
}

QTreeWidgetItem *ItemAt(QTreeWidget *tree, const QList<int> &path)
{
    QTreeWidgetItem *item = nullptr;
    for (int i = 0; i < path.size(); ++i) {
        item = i == 0 ? tree->topLevelItem(path[0]) : item->child(path[i]);
        if (!item)
            return nullptr;
    }
    return item;
}

void CollectExpanded(QTreeWidgetItem *item, QList<QList<int>> &out)
{
    if (!item->isExpanded())
        return;
    out << PathOf(item);
    for (int i = 0; i < item->childCount(); ++i)
        CollectExpanded(item->child(i), out);
}

} // namespace

QSettings *NewOstrelSettings()
{
    return new QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Ostrel"));
}

TMainForm::TMainForm(const QStringList &arguments, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromUtf8("Результаты измерений"));
    move(DefaultLeft, DefaultTop);
    resize(DefaultWidth, DefaultHeight);

    ClientArea = new QWidget(this);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(ClientArea);
    auto *clientLayout = new QVBoxLayout(ClientArea);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->setSpacing(0);

    Panel2 = new QWidget(ClientArea);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto *topLayout = new QHBoxLayout(Panel2);
    topLayout->setContentsMargins(8, 4, 8, 4);
    VerPanel = new QLabel(Panel2);
    VerPanel->setObjectName(QStringLiteral("VerPanel"));
    VerPanel->setFrameShape(QFrame::Panel);
    VerPanel->setFrameShadow(QFrame::Sunken);
    VerPanel->setAlignment(Qt::AlignCenter);
    QFont bold = VerPanel->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    VerPanel->setFont(bold);
    topLayout->addWidget(VerPanel, 1);
    PortGroupBox = new QGroupBox(Panel2);
    PortGroupBox->setObjectName(QStringLiteral("PortGroupBox"));
    auto *portLayout = new QHBoxLayout(PortGroupBox);
    portLayout->setContentsMargins(6, 2, 6, 4);
    ComBox = NewPortBox(PortGroupBox, "ComBox");
    ComBox->setMinimumWidth(160);
    portLayout->addWidget(ComBox);
    BitBtn1 = new QPushButton(QStringLiteral("↻"), PortGroupBox);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setFixedWidth(32);
    portLayout->addWidget(BitBtn1);
    topLayout->addWidget(PortGroupBox);
    clientLayout->addWidget(Panel2);

    MainSplitter = new QSplitter(Qt::Horizontal, ClientArea);
    MainSplitter->setObjectName(QStringLiteral("MainSplitter"));
    ResTree = new QTreeWidget(MainSplitter);
    ResTree->setObjectName(QStringLiteral("ResTree"));
    ResTree->setHeaderHidden(true);
    ResTree->setColumnCount(1);
    ResTree->setFont(MonoFont(16));
    ResTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResTree->setUniformRowHeights(true);
    ResTree->viewport()->installEventFilter(this);
    MemoPanel = new QWidget(MainSplitter);
    MemoPanel->setObjectName(QStringLiteral("MemoPanel"));
    auto *memoLayout = new QVBoxLayout(MemoPanel);
    memoLayout->setContentsMargins(0, 0, 0, 0);
    ResMemo = new QPlainTextEdit(MemoPanel);
    ResMemo->setObjectName(QStringLiteral("ResMemo"));
    ResMemo->setReadOnly(true);
    ResMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    ResMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ResMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ResMemo->setFont(MonoFont(0));
    ResMemo->hide();
    memoLayout->addWidget(ResMemo);
    MainSplitter->setStretchFactor(0, 1);
    MainSplitter->setStretchFactor(1, 0);
    MainSplitter->setCollapsible(0, false);
    clientLayout->addWidget(MainSplitter, 1);

    // Both menu bars live in one strip; the language shows one of them.
    auto *menuStrip = new QWidget(this);
    menuStrip->setObjectName(QStringLiteral("MenuStrip"));
    auto *menuLayout = new QVBoxLayout(menuStrip);
    menuLayout->setContentsMargins(0, 0, 0, 0);
    menuLayout->setSpacing(0);
    auto action = [this](QMenu *menu, const char *name, const char *text, void (TMainForm::*handler)()) {
        QAction *a = menu->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromLatin1(name));
        if (handler)
            connect(a, &QAction::triggered, this, handler);
        return a;
    };
    MainMenu = new QMenuBar(menuStrip);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    QMenu *file = MainMenu->addMenu(QString::fromUtf8("Файл"));
    file->setObjectName(QStringLiteral("N1"));
    N2 = action(file, "N2", "Прочитать из прибора Q5-M8", &TMainForm::Rx5ItemClick);
    file->addSeparator();
    LoadItem = action(file, "LoadItem", "Открыть", &TMainForm::LoadItemClick);
    SaveItem = action(file, "SaveItem", "Сохранить", &TMainForm::SaveItemClick);
    file->addSeparator();
    ClearItem = action(file, "ClearItem", "Очистить", &TMainForm::ClearItemClick);
    file->addSeparator();
    ExitItem = action(file, "ExitItem", "Выход", &TMainForm::ExitItemClick);
    QMenu *help = MainMenu->addMenu(QStringLiteral("?"));
    help->setObjectName(QStringLiteral("N3"));
    AboutItem = action(help, "AboutItem", "О программе", &TMainForm::AboutItemClick);
    help->addSeparator();
    EnglishItem = action(help, "EnglishItem", "English", &TMainForm::EnglishItemClick);
    menuLayout->addWidget(MainMenu);

    MainMenuEng = new QMenuBar(menuStrip);
    MainMenuEng->setObjectName(QStringLiteral("MainMenuEng"));
    QMenu *fileEng = MainMenuEng->addMenu(QStringLiteral("File"));
    fileEng->setObjectName(QStringLiteral("MenuItem1"));
    MenuItem2 = action(fileEng, "MenuItem2", "Read from device Q5-M8", &TMainForm::Rx5ItemClick);
    fileEng->addSeparator();
    MenuItem9 = action(fileEng, "MenuItem9", "Open", &TMainForm::LoadItemClick);
    MenuItem10 = action(fileEng, "MenuItem10", "Save", &TMainForm::SaveItemClick);
    fileEng->addSeparator();
    MenuItem12 = action(fileEng, "MenuItem12", "Clear", &TMainForm::ClearItemClick);
    fileEng->addSeparator();
    MenuItem14 = action(fileEng, "MenuItem14", "Exit", &TMainForm::ExitItemClick);
    QMenu *helpEng = MainMenuEng->addMenu(QStringLiteral("?"));
    helpEng->setObjectName(QStringLiteral("MenuItem16"));
    MenuItem17 = action(helpEng, "MenuItem17", "About", &TMainForm::AboutItemClick);
    helpEng->addSeparator();
    RussianItem = action(helpEng, "RussianItem", "Русский", &TMainForm::RussianItemClick);
    menuLayout->addWidget(MainMenuEng);
    setMenuWidget(menuStrip);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    RemarkItem = action(PopupMenu, "RemarkItem", "Комментарий", &TMainForm::RemarkItemClick);
    PopupMenu->addSeparator();
    CopyItem = action(PopupMenu, "CopyItem", "Копировать", &TMainForm::CopyItemClick);
    PrintItem = action(PopupMenu, "PrintItem", "Печатать", &TMainForm::PrintItemClick);
    PopupMenu->addSeparator();
    CalcItem = action(PopupMenu, "CalcItem", "Статистика", nullptr);
    PopupMenuEng = new QMenu(this);
    PopupMenuEng->setObjectName(QStringLiteral("PopupMenuEng"));
    MenuItem19 = action(PopupMenuEng, "MenuItem19", "Comment", &TMainForm::RemarkItemClick);
    PopupMenuEng->addSeparator();
    MenuItem21 = action(PopupMenuEng, "MenuItem21", "Copy to clipboard", &TMainForm::CopyItemClick);
    MenuItem22 = action(PopupMenuEng, "MenuItem22", "Print", &TMainForm::PrintItemClick);
    PopupMenuEng->addSeparator();
    MenuItem24 = action(PopupMenuEng, "MenuItem24", "Statistics", nullptr);

    AboutForm = new TAboutForm(OstrelAbout, QStringLiteral(Q5M8_VERSION), this);

    connect(ResTree, &QTreeWidget::currentItemChanged, this, [this] { ResTreeChange(); });
    connect(BitBtn1, &QPushButton::clicked, this, &TMainForm::BitBtn1Click);

    CreatCOMPortList();
    numtext::SetDecimalSeparator('.');

    // Creation: settings, a clean state, the language, the file named on the
    // command line.
    Modified = false;
    ReadSettings();
    ClearItemClick();
    ApplyLanguage();
    if (arguments.size() > 1) {
        const QString path = arguments[1];
        Guarded(this, [&] { DoLoadFile(path); });
    }
}

TMainForm::~TMainForm()
{
    WriteSettings();
}

void TMainForm::ReadSettings()
{
    std::unique_ptr<QSettings> s(NewOstrelSettings());
    English = ReadString(*s, QStringLiteral("Language/Value"), QString()).toUpper() == QLatin1String("ENGLISH");
    const int left = ReadInteger(*s, QStringLiteral("Window/Left"), x());
    const int top = ReadInteger(*s, QStringLiteral("Window/Top"), y());
    const int width = ReadInteger(*s, QStringLiteral("Window/Width"), this->width());
    const int height = ReadInteger(*s, QStringLiteral("Window/Height"), this->height());
    const int memWidth = ReadInteger(*s, QStringLiteral("Window/MemWidth"), DefaultMemWidth);
    RestoreWindowPlace(*this, left, top, std::max(width, 200), std::max(height, 150));
    const int total = std::max(MainSplitter->width(), this->width());
    MainSplitter->setSizes({std::max(total - memWidth, 50), std::max(memWidth, 0)});
}

void TMainForm::WriteSettings()
{
    std::unique_ptr<QSettings> s(NewOstrelSettings());
    s->setValue(QStringLiteral("Language/Value"), English ? QStringLiteral("English") : QStringLiteral("Russian"));
    s->setValue(QStringLiteral("Window/Top"), y());
    s->setValue(QStringLiteral("Window/Left"), x());
    s->setValue(QStringLiteral("Window/Width"), width());
    s->setValue(QStringLiteral("Window/Height"), height());
    s->setValue(QStringLiteral("Window/MemWidth"), MainSplitter->sizes().value(1, MemoPanel->width()));
    s->sync();
}

QString TMainForm::FileFilter() const
{
    return Lang("Файлы с результатами (*.osl3);;Все файлы (*)", "Measurement results files (*.osl3);;All files (*)");
}

void TMainForm::ApplyLanguage()
{
    UpdateQtTranslation(); // the standard buttons and dialogs follow
    MainMenu->setVisible(!English);
    MainMenuEng->setVisible(English);
    PortGroupBox->setTitle(Lang(" Порт ", " Serial port "));
    // The file last chosen in the open dialog, whatever is shown now; empty
    // until one was chosen.
    setWindowTitle(Lang("Результаты измерения ", "Measurement results ") + OpenDialogFileName);
}

bool TMainForm::TryClearResults()
{
    if (Modified) {
        const int answer = ui::Message(this, Lang("Результаты были изменены. Сохранить изменения ?",
                                                  "The results was changed. Save changes in file ?"),
                                       windowTitle(), ui::MbYesNoCancel | ui::MbIconQuestion);
        if (answer == ui::IdCancel)
            return false;
        if (answer == ui::IdYes) {
            // A save that was cancelled or failed keeps the results: the
            // command that asked does not go on.
            bool saved = false;
            try {
                saved = SaveResults();
            } catch (const std::exception &e) {
                ShowException(this, e);
            }
            if (!saved)
                return false;
        }
    }
    Modified = false;
    setWindowTitle(Lang("Результаты измерений", "Measurement results"));
    VerPanel->clear();
    DeviceKind = DeviceKindNormal;
    SelectedNode = nullptr;
    ResTree->clear();
    FileCount = 0;
    ResMemo->hide();
    return true;
}

bool TMainForm::SaveResults()
{
    if (!Modified)
        return true;
    ui::FileRequest request;
    request.title = Lang("Сохранить результаты", "Save file");
    request.filter = FileFilter();
    request.defaultSuffix = QString::fromLatin1(ResultsFileExtension);
    request.initialPath = QCoreApplication::applicationDirPath();
    QString path;
    if (!ui::SaveFileNameCreating(this, request, path))
        return false;
    SaveResultsFile(Results, path);
    Modified = false;
    return true;
}

void TMainForm::DoLoadFile(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        ui::Message(this, Lang("Файл ", "File ") + path + Lang(" не существует!", " does not exist!"),
                    Lang("Открыть", "Open"), ui::MbIconError);
        return;
    }
    setWindowTitle(Lang("Результаты измерения - ", "Measurement results - ") + path);
    DeviceKind = DeviceKindNormal;
    DeviceKind = LoadResultsFile(Results, path);
    ResMemo->hide();
    BuildTree();
}

StatisticReport TMainForm::InstallReadResults(const QString &deviceText, const std::vector<std::vector<TValue>> &files)
{
    SelectedNode = nullptr;
    ResTree->clear();
    DeviceText = deviceText;
    const StatisticReport report = Results.TakeRead(files);
    setWindowTitle(Lang("Результаты измерений - ", "Measurement results - ") + SingleLineText(deviceText));
    BuildTree();
    Modified = true;
    // The read succeeded and kept every reading: the text says which one
    // stays out of the statistics, for the user's information, as the read's
    // own box shows its texts (no full stop added).
    if (!report.Clean())
        ui::Message(this, report.Message(), Lang("Результаты Q5-M8", "Q5-M8 results"),
                    ui::MbOk | ui::MbIconInformation);
    return report;
}

void TMainForm::StatisticList(int File)
{
    if (File >= 0 && File < MaxResultFiles)
        ::StatisticList(Files[size_t(File)]);
}

void TMainForm::BuildTree()
{
    SelectedNode = nullptr;
    ResTree->clear();
    const std::vector<TreeNode> content = TreeContent(Results);
    QList<QTreeWidgetItem *> roots;
    for (const TreeNode &node : content)
        roots << MakeItem(node);
    ResTree->addTopLevelItems(roots);
    roots[1]->setExpanded(true);
}

QTreeWidgetItem *TMainForm::FileOwnNode(int i) const
{
    QTreeWidgetItem *remarkRoot = ResTree->topLevelItem(1);
    if (!remarkRoot)
        return nullptr;
    return FileCount > 1 ? remarkRoot->child(i) : remarkRoot;
}

void TMainForm::AddFileNodes(QTreeWidgetItem *parent, int i)
{
    if (!parent || i < 0 || i >= MaxResultFiles)
        return;
    for (const TreeNode &node : FileNodes(Files[size_t(i)]))
        parent->addChild(MakeItem(node));
}

void TMainForm::ShowValues()
{
    ResMemo->hide();
    ResMemo->clear();
    if (DeviceKind == DeviceKindKvr20)
        return;
    QTreeWidgetItem *node = ResTree->currentItem();
    if (FileCount == 0 || !node)
        return;
    const int data = NodeDataOf(node);
    if (NodeFile(data) < 0)
        return;
    ResMemo->setPlainText(ValueLines(Results, data).join(u'\n'));
    ResMemo->show();
}

void TMainForm::CreatCOMPortList()
{
    FillPortBox(ComBox, SerialPortNames(), -1, ComBox->currentText());
}

void TMainForm::Rx5ItemClick()
{
    Guarded(this, [this] {
        if (!TryClearResults())
            return;
        DeviceText.clear();
        CommonRemark = Lang("Результаты измерений", "Measurement results");
        // Every failure has been shown when it returns; the results then
        // stay cleared.
        const InstrumentRead read = ReadInstrument(this, ComBox->currentText(), TheProgressForm(this),
                                                   [this](const QString &device) {
                                                       DeviceText = device;
                                                       VerPanel->setText(device);
                                                       RepaintPending();
                                                   });
        if (!read.completed)
            return;
        InstallReadResults(read.deviceText, ReadValues(read));
        if (!read.droppedReport.isEmpty())
            ui::Message(this, read.droppedReport, ReadResultsCaption.Text(), ui::MbOk | ui::MbIconWarning);
    });
}

void TMainForm::LoadItemClick()
{
    Guarded(this, [this] {
        if (!TryClearResults())
            return;
        ui::FileRequest request;
        request.title = Lang("Открыть", "Open");
        request.filter = FileFilter();
        request.defaultSuffix = QString::fromLatin1(ResultsFileExtension);
        request.initialPath = QCoreApplication::applicationDirPath();
        QString path;
        if (!ui::Current().OpenFileName(this, request, path))
            return;
        OpenDialogFileName = path;
        DoLoadFile(path);
        Modified = false;
    });
}

void TMainForm::SaveItemClick()
{
    Guarded(this, [this] { SaveResults(); });
}

void TMainForm::ClearItemClick()
{
    // The device mode goes with the results, only when they are cleared.
    Guarded(this, [this] { TryClearResults(); });
}

void TMainForm::ExitItemClick()
{
    Guarded(this, [this] {
        if (TryClearResults())
            close();
    });
}

void TMainForm::AboutItemClick()
{
    Guarded(this, [this] { AboutForm->Execute(); });
}

void TMainForm::SwitchLanguage(bool english)
{
    // The tree is built again in the new language, keeping what was open
    // and selected (the structure does not depend on the language).
    QList<QList<int>> expanded;
    for (int i = 0; i < ResTree->topLevelItemCount(); ++i)
        CollectExpanded(ResTree->topLevelItem(i), expanded);
    const QList<int> current = PathOf(ResTree->currentItem());
    const bool hadTree = ResTree->topLevelItemCount() > 0;
    English = english;
    ApplyLanguage();
    if (hadTree) {
        const QSignalBlocker block(ResTree);
        BuildTree();
        for (const QList<int> &path : expanded)
            if (QTreeWidgetItem *item = ItemAt(ResTree, path))
                item->setExpanded(true);
        if (!current.isEmpty())
            ResTree->setCurrentItem(ItemAt(ResTree, current));
    }
    ShowValues();
}

void TMainForm::EnglishItemClick()
{
    Guarded(this, [this] { SwitchLanguage(true); });
}

void TMainForm::RussianItemClick()
{
    Guarded(this, [this] { SwitchLanguage(false); });
}

bool TMainForm::AskComment(const QString &caption, QString &text)
{
    for (;;) {
        if (!ui::Current().InputQuery(this, caption, Lang("Комментарий", "Comment"), text))
            return false;
        // A comment is one line of the results file, in its code page.
        if (text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0))) {
            ui::Message(this, Lang("Комментарий должен быть одной строкой.", "A comment must be a single line."),
                        caption, ui::MbIconError);
            continue;
        }
        QString refused;
        for (QChar c : text)
            if (!cp1251::CanEncode(QString(c)) && !refused.contains(c))
                refused += c;
        if (!refused.isEmpty()) {
            ui::Message(this,
                        Lang("Символы \"%1\" нельзя сохранить в файле результатов.",
                             "The characters \"%1\" cannot be saved in a results file.")
                            .arg(refused),
                        caption, ui::MbIconError);
            continue;
        }
        return true;
    }
}

void TMainForm::RemarkItemClick()
{
    Guarded(this, [this] {
        QTreeWidgetItem *node = SelectedNode;
        if (!node)
            return;
        if (node->parent()) {
            const int f = NodeFile(NodeDataOf(node));
            if (f < 0 || f >= FileCount)
                return;
            QString text = Files[size_t(f)].Remark;
            if (!AskComment(Lang("Комментарий к файлу", "File comment"), text))
                return;
            Modified = true;
            Files[size_t(f)].Remark = text;
            QTreeWidgetItem *own = FileOwnNode(f);
            if (!own)
                return;
            SelectedNode = nullptr; // it may be among the nodes rebuilt now
            {
                const QSignalBlocker block(ResTree);
                ResTree->setCurrentItem(own);
                qDeleteAll(own->takeChildren());
                AddFileNodes(own, f);
                ExpandAll(own);
            }
            ResTree->setCurrentItem(own->childCount() > 0 ? own->child(0) : own);
            ShowValues();
            SelectedNode = ResTree->currentItem();
        } else {
            QTreeWidgetItem *remarkRoot = ResTree->topLevelItem(1);
            if (!remarkRoot)
                return;
            QString text = CommonRemark;
            if (!AskComment(Lang("Комментарий ко всем результатам", "All results comment"), text))
                return;
            Modified = true;
            CommonRemark = text;
            remarkRoot->setText(0, SingleLineText(text));
            ResTree->setCurrentItem(remarkRoot);
            SelectedNode = remarkRoot;
        }
    });
}

// Clipboard text and printing of the selected results come with their own
// layouts.
void TMainForm::CopyItemClick()
{
    Guarded(this, [this] {
        if (SelectedNode)
            CopyResultsToClipboard(Results, SelectedNode->parent() == nullptr, NodeDataOf(SelectedNode));
    });
}

void TMainForm::PrintItemClick()
{
    Guarded(this, [this] {
        if (!SelectedNode)
            return;
        // One printer for the run, so the next print offers the same printer and paper.
        if (!Printer)
            Printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        PrintResults(this, *Printer, Results, SelectedNode->parent() == nullptr, NodeDataOf(SelectedNode));
    });
}

void TMainForm::BitBtn1Click()
{
    Guarded(this, [this] { CreatCOMPortList(); });
}

void TMainForm::ResTreeChange()
{
    Guarded(this, [this] { ShowValues(); });
}

void TMainForm::ResTreeMouseDown(Qt::MouseButton button, const QPoint &pos)
{
    Guarded(this, [&] {
        if (button != Qt::RightButton)
            return;
        QTreeWidgetItem *node = ResTree->itemAt(pos);
        if (!node || !OnItemLabel(node, pos))
            return;
        SelectedNode = node;
        ResTree->setCurrentItem(node);
        if (DeviceKind == DeviceKindKvr20)
            return;
        const bool root = node->parent() == nullptr;
        if (!root && NodeDataOf(node) == 0)
            return; // file nodes have no popup
        CalcItem->setEnabled(!root);
        MenuItem24->setEnabled(!root);
        (English ? PopupMenuEng : PopupMenu)->popup(ResTree->viewport()->mapToGlobal(pos));
    });
}

bool TMainForm::OnItemLabel(QTreeWidgetItem *item, const QPoint &pos) const
{
    // The label itself, not the expand button before it nor the blank rest
    // of the row after it.
    const QRect row = ResTree->visualItemRect(item);
    const int margin = 2 * (ResTree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ResTree) + 1);
    const int width = QFontMetrics(ResTree->font()).horizontalAdvance(item->text(0)) + margin;
    return row.contains(pos) && pos.x() < row.left() + width;
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ResTree->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            ResTreeMouseDown(mouse->button(), mouse->position().toPoint());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    bool mayClose = false;
    Guarded(this, [&] { mayClose = TryClearResults(); });
    if (mayClose)
        event->accept();
    else
        event->ignore();
}
