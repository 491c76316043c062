#include "designer/main_form.h"
#include "common/aboutform.h"
#include "common/cformat.h"
#include "common/dialogs.h"
#include "common/exceptiondisplay.h"
#include "common/numtext.h"
#include "common/qttranslation.h"
#include "common/settingsread.h"
#include "common/windowplace.h"
#include "designer/edittextvalidator.h"
#include "designer/epoint.h"
#include "designer/graphxy.h"
#include "designer/main_views.h"
#include "designer/print_graph.h"
#include "designer/print_table.h"
#include "scale/scalefile.h"
#include "transfer/prx54.h"
#include "transfer/scalelist.h"
#include "version.h"
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSettings>
#include <QTimer>
#include <algorithm>

namespace {

// Geometry of the form resource.
constexpr int DefaultLeft = 1010, DefaultTop = 144, DefaultWidth = 874, DefaultHeight = 802;
constexpr int TopPanelHeight = 34;
constexpr int ColumnLeft = 8;      // controls column of MainPanel
constexpr int EditLeft = 168;      // XNameEdit.Left
constexpr int EditWidth = 80;      // XNameEdit.Width
constexpr int MemoWidth = 150;     // TableMemo.Width
constexpr int MemoTop = 4;
constexpr int GridTop = 340;
constexpr int BottomPanelHeight = 64;

const AboutTexts TarvikAbout = {
    {"О программе", "About"},
    {"Программа создания аппроксимационных шкал", "Program for creating appraxial scales"},
    {"для приборов серий Q5-M8 версии 1.Х.Х", "of devices of Q5-M8 series version 1.Х.Х"},
};

template <class W>
W *Named(W *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QAction *Item(QMenu *menu, const char *name)
{
    auto *a = menu->addAction(QString());
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

QAction *Separator(QMenu *menu, const char *name)
{
    QAction *a = menu->addSeparator();
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

QLabel *Label(QWidget *parent, const char *name, const QRect &r)
{
    auto *l = Named(new QLabel(parent), name);
    l->setGeometry(r);
    return l;
}

QLineEdit *Edit(QWidget *parent, const char *name, const QRect &r, int maxLength = 32767)
{
    auto *e = Named(new QLineEdit(parent), name);
    e->setGeometry(r);
    e->setMaxLength(maxLength);
    return e;
}

// An edit whose text goes into the scale file: what the file cannot hold
// (line breaks, NUL, characters outside Windows-1251, more than the limit
// in file characters) is refused as it is typed.
QLineEdit *FileTextEdit(QWidget *parent, const char *name, const QRect &r, int maxLength)
{
    QLineEdit *e = Edit(parent, name, r, maxLength);
    e->setValidator(new EditTextValidator(maxLength, e));
    return e;
}

QSettings ScaleSettings() { return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Scale")); }

} // namespace

QString ReadoutText(double x, double y, int formatIndex)
{
    const int decimals = formatIndex >= 1 && formatIndex <= 3 ? formatIndex : 0;
    return QCFormat("%5.0f - %.*f", x, decimals, y);
}

TClientArea::TClientArea(TMainForm *form) : QWidget(form), form_(form)
{
    setObjectName(QStringLiteral("ClientArea"));
    setAutoFillBackground(true);
    setMouseTracking(true);
    // The right button belongs to the range dialog.
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void TClientArea::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    Guarded(form_, [&] { form_->PaintClient(painter); });
}

void TClientArea::resizeEvent(QResizeEvent *)
{
    Guarded(form_, [&] {
        form_->AlignPanels();
        form_->FormResize();
    });
}

// The positions are the event's: a global cursor position is not reliable
// under every platform plugin.
void TClientArea::mousePressEvent(QMouseEvent *event)
{
    Guarded(form_, [&] { form_->FormMouseDown(event->button(), event->position().toPoint()); });
}

void TClientArea::mouseMoveEvent(QMouseEvent *event)
{
    Guarded(form_, [&] { form_->FormMouseMove(event->position().toPoint()); });
}

void TClientArea::mouseReleaseEvent(QMouseEvent *)
{
    Guarded(form_, [&] { form_->FormMouseUp(); });
}

// Qt delivers the second press of a double click as this event alone: the
// fit, then the press it stands for.
void TClientArea::mouseDoubleClickEvent(QMouseEvent *event)
{
    Guarded(form_, [&] {
        if (event->button() == Qt::LeftButton)
            form_->FormDblClick();
        form_->FormMouseDown(event->button(), event->position().toPoint());
    });
}

TMainForm::TMainForm(const QStringList &args, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromUtf8("Шкала"));
    ClientArea = new TClientArea(this);
    setCentralWidget(ClientArea);
    PointsModel = new TPointsModel(Document, this);
    TableMemoModel = new TTableMemoModel(Document, this);
    BuildMenus();
    BuildPanels();
    EditPointForm = new TEditPointForm(this);
    NetSizeForm = new TNetSizeForm(this);
    AboutForm = new TAboutForm(TarvikAbout, QStringLiteral(Q5M8_VERSION), this);
    PRx54ProgForm = ::PRx54ProgForm = new TPRx54ProgForm(this);
    ScaleListForm = ::ScaleListForm = new TScaleListForm(this);
    move(DefaultLeft, DefaultTop);
    resize(DefaultWidth, DefaultHeight);
    Connect();
    Guarded(this, [&] { FormCreate(args); });
}

TMainForm::~TMainForm()
{
    Guarded(this, [&] { FormDestroy(); });
    if (::PRx54ProgForm == PRx54ProgForm)
        ::PRx54ProgForm = nullptr;
    if (::ScaleListForm == ScaleListForm)
        ::ScaleListForm = nullptr;
}

namespace {

// One line of the two main menus: the Russian item and its English twin,
// which share a handler. A null handler is a separator; a menu title starts
// a submenu.
struct MenuLine {
    QAction *TMainForm::*russian;
    const char *russianName;
    const char *russianText;
    QAction *TMainForm::*english;
    const char *englishName;
    const char *englishText;
    void (TMainForm::*handler)();
};

const MenuLine FileMenu[] = {
    {&TMainForm::OpenItem, "OpenItem", "Открыть", &TMainForm::MenuItem2, "MenuItem2", "Open",
     &TMainForm::OpenItemClick},
    {&TMainForm::SaveItem, "SaveItem", "Сохранить", &TMainForm::MenuItem4, "MenuItem4", "Save",
     &TMainForm::SaveItemClick},
    {nullptr, "N3", nullptr, nullptr, "MenuItem3", nullptr, nullptr},
    {&TMainForm::ClearItem, "ClearItem", "Очистить", &TMainForm::MenuItem6, "MenuItem6", "Clear",
     &TMainForm::ClearItemClick},
    {nullptr, "N5", nullptr, nullptr, "MenuItem5", nullptr, nullptr},
    {&TMainForm::PrintGraphikItem, "PrintGraphikItem", "Печатать график", &TMainForm::MenuItem8, "MenuItem8",
     "Print graph", &TMainForm::PrintGraphikItemClick},
    {&TMainForm::PrintTableItem, "PrintTableItem", "Печатать таблицу", &TMainForm::MenuItem9, "MenuItem9",
     "Print table", &TMainForm::PrintTableItemClick},
    {nullptr, "N4", nullptr, nullptr, "MenuItem7", nullptr, nullptr},
    {&TMainForm::Scalelist, "Scalelist", "Список шкал Q5-M8", &TMainForm::MenuItem11, "MenuItem11",
     "Scale list Q5-M8", &TMainForm::ScalelistClick},
    {nullptr, "N7", nullptr, nullptr, "MenuItem10", nullptr, nullptr},
    {&TMainForm::ProgrammItem, "ProgrammItem", "Записать шкалу в Q5-M8", &TMainForm::MenuItem12, "MenuItem12",
     "Write scale to Q5-M8", &TMainForm::RX54ItemClick},
    {nullptr, "N9", nullptr, nullptr, "MenuItem13", nullptr, nullptr},
    {&TMainForm::ExitItem, "ExitItem", "Выход", &TMainForm::MenuItem14, "MenuItem14", "Exit",
     &TMainForm::ExitItemClick},
};

const MenuLine HelpMenu[] = {
    {&TMainForm::AboutProg, "AboutProg", "О программе", &TMainForm::MenuItem17, "MenuItem17", "About",
     &TMainForm::AboutProgClick},
    {nullptr, "N8", nullptr, nullptr, "N6", nullptr, nullptr},
    {&TMainForm::English1, "English1", "English", &TMainForm::MenuItem18, "MenuItem18", "Русский",
     &TMainForm::English1Click},
};

} // namespace

void TMainForm::BuildMenus()
{
    N1 = Named(new QMenu(QString::fromUtf8("Файл"), this), "N1");
    N2 = Named(new QMenu(QStringLiteral("?"), this), "N2");
    MenuItem1 = Named(new QMenu(QStringLiteral("File"), this), "MenuItem1");
    MenuItem15 = Named(new QMenu(QStringLiteral("?"), this), "MenuItem15");
    auto fill = [this](QMenu *russian, QMenu *english, const auto &lines) {
        for (const MenuLine &l : lines) {
            if (!l.handler) {
                Separator(russian, l.russianName);
                Separator(english, l.englishName);
                continue;
            }
            QAction *r = this->*l.russian = Item(russian, l.russianName);
            QAction *e = this->*l.english = Item(english, l.englishName);
            r->setText(QString::fromUtf8(l.russianText));
            e->setText(QString::fromUtf8(l.englishText));
            for (QAction *a : {r, e})
                connect(a, &QAction::triggered, this,
                        [this, h = l.handler] { Guarded(this, [&] { (this->*h)(); }); });
        }
    };
    fill(N1, MenuItem1, FileMenu);
    fill(N2, MenuItem15, HelpMenu);
    ProgrammItem->setEnabled(false);
    MenuItem12->setEnabled(false);
    MainMenu = {N1, N2};
    MainMenuEng = {MenuItem1, MenuItem15};
    for (QMenu *m : MainMenu)
        menuBar()->addMenu(m);

    PopupMenu = Named(new QMenu(this), "PopupMenu");
    LeftItem = Item(PopupMenu, "LeftItem");
    RightItem = Item(PopupMenu, "RightItem");
    TableViewItem = Item(PopupMenu, "TableViewItem");
    LeftItem->setText(QString::fromUtf8("Слева"));
    RightItem->setText(QString::fromUtf8("Справа"));
    TableViewItem->setText(QString::fromUtf8("Таблица"));
    TableViewItem->setCheckable(true);
    TableViewItem->setChecked(true);
}

void TMainForm::BuildPanels()
{
    TopPanel = Named(new TPanel(ClientArea), "TopPanel");
    TopPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    TopPanel->setGeometry(0, 0, DefaultWidth, TopPanelHeight);
    TopBevel = Named(new QFrame(TopPanel), "TopBevel");
    TopBevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    TopBevel->setGeometry(0, 0, DefaultWidth, TopPanelHeight);
    Label5 = Label(TopPanel, "Label5", {8, 8, 84, 18});
    ScaleEdit = FileTextEdit(TopPanel, "ScaleEdit", {96, 6, DefaultWidth - 104, 22}, MaxAboutLength);

    MainPanel = Named(new TPanel(ClientArea), "MainPanel");
    MainPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    MainPanel->setContextMenuPolicy(Qt::CustomContextMenu);
    const int column = EditLeft + EditWidth - ColumnLeft;
    PosLabel = Label(MainPanel, "PosLabel", {ColumnLeft, 4, column, 18});
    PosLabel->setAlignment(Qt::AlignCenter);
    Label9 = Label(MainPanel, "Label9", {ColumnLeft, 28, EditLeft - ColumnLeft - 4, 18});
    XNameEdit = FileTextEdit(MainPanel, "XNameEdit", {EditLeft, 26, EditWidth, 22}, MaxNameLength);
    Label7 = Label(MainPanel, "Label7", {ColumnLeft, 54, EditLeft - ColumnLeft - 4, 18});
    YNameEdit = FileTextEdit(MainPanel, "YNameEdit", {EditLeft, 52, EditWidth, 22}, MaxNameLength);
    Label10 = Label(MainPanel, "Label10", {ColumnLeft, 80, EditLeft - ColumnLeft - 4, 18});
    DescriptionEdit = FileTextEdit(MainPanel, "DescriptionEdit", {EditLeft, 78, 50, 22}, MaxUnitsLength);

    ATypeRadioGroup = Named(new TRadioGroup(MainPanel), "ATypeRadioGroup");
    ATypeRadioGroup->setGeometry(ColumnLeft, 104, column, 64);
    ATypeRadioGroup->SetItems({QString::fromUtf8("кусочно-линейная"), QString::fromUtf8("полиномом")});
    ATypeRadioGroup->SetItemIndex(0);
    PowerComboBox = Named(new QComboBox(MainPanel), "PowerComboBox");
    PowerComboBox->setGeometry(ColumnLeft, 174, 56, 24);
    for (int i = 1; i <= MaxDegree; ++i)
        PowerComboBox->addItem(QString::number(i));
    Panel1 = Label(MainPanel, "Panel1", {ColumnLeft + 60, 174, 90, 24});
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setText(QString::fromUtf8("порядка"));

    Bevel1 = Named(new QGroupBox(MainPanel), "Bevel1");
    Bevel1->setGeometry(ColumnLeft, 202, column, 82);
    Label1 = Label(Bevel1, "Label1", {6, 24, 36, 18});
    MinEdit = Edit(Bevel1, "MinEdit", {42, 22, 72, 22});
    Label4 = Label(Bevel1, "Label4", {120, 24, 36, 18});
    MaxEdit = Edit(Bevel1, "MaxEdit", {158, 22, 74, 22});
    Label3 = Label(Bevel1, "Label3", {6, 52, 36, 18});
    StepEdit = Edit(Bevel1, "StepEdit", {42, 50, 72, 22});
    Label6 = Label(Bevel1, "Label6", {116, 52, 51, 18});
    ScalePwrComboBox = Named(new QComboBox(Bevel1), "ScalePwrComboBox");
    ScalePwrComboBox->setGeometry(168, 50, 66, 24); // wide enough for "0,000"
    ScalePwrComboBox->addItems(
        {QStringLiteral("0"), QStringLiteral("0,0"), QStringLiteral("0,00"), QStringLiteral("0,000")});

    IntervalsCheckBox = Named(new QCheckBox(MainPanel), "IntervalsCheckBox");
    IntervalsCheckBox->setGeometry(ColumnLeft, 290, column, 20);
    Label8 = Label(MainPanel, "Label8", {ColumnLeft, 316, EditLeft - ColumnLeft - 4, 18});
    MaxErrEdit = Edit(MainPanel, "MaxErrEdit", {EditLeft, 314, EditWidth, 22});

    PointsGrid = Named(new TPointsGrid(MainPanel), "PointsGrid");
    PointsGrid->setModel(PointsModel);
    PointsGrid->setItemDelegate(new TCellDelegate(
        [this](QPainter &p, int col, int row, const QRect &r, bool selected) {
            PointsGridDrawCell(p, col, row, r, selected);
        },
        PointsGrid));
    PointsGrid->setGeometry(ColumnLeft, GridTop, 2 * 102 + 2, 200);
    RowScrollBar = Named(new QScrollBar(Qt::Vertical, MainPanel), "RowScrollBar");
    RowScrollBar->setGeometry(ColumnLeft + 2 * 102 + 2, GridTop, 18, 200);
    RowScrollBar->setRange(0, 0);
    RowScrollBar->setPageStep(10);

    BottomPanel = Named(new QFrame(MainPanel), "BottomPanel");
    BottomPanel->setGeometry(ColumnLeft, 600, column, BottomPanelHeight);
    AddPointButton = Named(new QPushButton(BottomPanel), "AddPointButton");
    AddPointButton->setGeometry(0, 2, 78, 28);
    DelPointButton = Named(new QPushButton(BottomPanel), "DelPointButton");
    DelPointButton->setGeometry(81, 2, 78, 28);
    EditPointButton = Named(new QPushButton(BottomPanel), "EditPointButton");
    EditPointButton->setGeometry(162, 2, 78, 28);
    BitBtn1 = Named(new QPushButton(BottomPanel), "BitBtn1");
    BitBtn1->setGeometry(162, 34, 78, 28);
    for (QPushButton *b : {AddPointButton, DelPointButton, EditPointButton, BitBtn1})
        b->setAutoDefault(false);

    TableMemo = Named(new TTableMemo(MainPanel), "TableMemo");
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSize(10);
    TableMemo->setFont(mono);
    TableMemo->setModel(TableMemoModel);
    TableMemo->setGeometry(EditLeft + EditWidth + 4, MemoTop, MemoWidth, 600);

    MainPanel->resize(EditLeft + EditWidth + MemoWidth + 12, DefaultHeight);
    UpdateLangauge();
    // The window's own text; only a language switch writes the misspelt one.
    Label7->setText(QStringLiteral("Шкала аппроксимации"));
}

void TMainForm::Connect()
{
    auto guard = [this](auto handler) {
        return [this, handler] { Guarded(this, [&] { (this->*handler)(); }); };
    };
    connect(BitBtn1, &QPushButton::clicked, this, guard(&TMainForm::ExitItemClick));

    connect(LeftItem, &QAction::triggered, this, guard(&TMainForm::LeftItemClick));
    connect(RightItem, &QAction::triggered, this, guard(&TMainForm::RightItemClick));
    connect(TableViewItem, &QAction::triggered, this, [this] {
        Guarded(this, [&] {
            // The action has already toggled itself; the handler does the toggling.
            TableViewItem->setChecked(!TableViewItem->isChecked());
            TableViewItemClick(TableViewItem);
        });
    });
    connect(MainPanel, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { PopupMenu->popup(MainPanel->mapToGlobal(p)); });

    connect(AddPointButton, &QPushButton::clicked, this, guard(&TMainForm::AddPointButtonClick));
    connect(EditPointButton, &QPushButton::clicked, this, guard(&TMainForm::EditPointButtonClick));
    connect(DelPointButton, &QPushButton::clicked, this, guard(&TMainForm::DelPointButtonClick));
    connect(PointsGrid, &TPointsGrid::DblClick, this, guard(&TMainForm::EditPointButtonClick));
    connect(PointsGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                Guarded(this, [&] { PointsGridSelectCell(current.isValid() ? current.row() : 0); });
            });
    connect(RowScrollBar, &QScrollBar::valueChanged, this, guard(&TMainForm::RowScrollBarChange));

    connect(ATypeRadioGroup, &TRadioGroup::Click, this, guard(&TMainForm::PowerComboBoxChange));
    connect(PowerComboBox, &QComboBox::currentIndexChanged, this, guard(&TMainForm::PowerComboBoxChange));
    connect(IntervalsCheckBox, &QCheckBox::toggled, this, guard(&TMainForm::PowerComboBoxChange));
    connect(ScalePwrComboBox, &QComboBox::currentIndexChanged, this, guard(&TMainForm::PowerComboBoxChange));
    connect(XNameEdit, &QLineEdit::textChanged, this, guard(&TMainForm::XNameEditChange));
    connect(YNameEdit, &QLineEdit::textChanged, this, guard(&TMainForm::XNameEditChange));
    connect(DescriptionEdit, &QLineEdit::textChanged, this, guard(&TMainForm::DescriptionEditChange));
    connect(ScaleEdit, &QLineEdit::textChanged, this, guard(&TMainForm::ScaleEditChange));

    for (QObject *o : std::initializer_list<QObject *>{PointsGrid, MinEdit, MaxEdit, StepEdit, MaxErrEdit, MainPanel,
                                                       TopPanel})
        o->installEventFilter(this);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        bool consumed = false;
        if (watched == PointsGrid)
            Guarded(this, [&] { consumed = PointsGridKeyDown(key); });
        else if (watched == MinEdit || watched == MaxEdit || watched == StepEdit || watched == MaxErrEdit)
            Guarded(this, [&] { consumed = MinEditKeyDown(key); });
        if (consumed)
            return true;
    } else if (event->type() == QEvent::Resize) {
        if (watched == MainPanel)
            Guarded(this, [&] { MainPanelResize(); });
        else if (watched == TopPanel)
            Guarded(this, [&] { TopPanelResize(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- start and end -------------------------------------------------------

void TMainForm::FormCreate(const QStringList &args)
{
    numtext::SetDecimalSeparator(',');
    PosLabel->clear();
    Graph.reset();
    Document.ClearTable();
    Document.PointCount = 0;

    QSettings reg = ScaleSettings();
    reg.beginGroup(QStringLiteral("Window"));
    const int left = ReadInteger(reg, QStringLiteral("Left"), pos().x());
    const int top = ReadInteger(reg, QStringLiteral("Top"), pos().y());
    const int width = ReadInteger(reg, QStringLiteral("Width"), size().width());
    const int height = ReadInteger(reg, QStringLiteral("Height"), size().height());
    RestoreWindowPlace(*this, left, top, width, height);
    // Any other stored number than left means right.
    SetPanelAlign(ReadInteger(reg, QStringLiteral("Panel"), alRight) == alLeft ? alLeft : alRight);
    TableViewItem->setChecked(ReadInteger(reg, QStringLiteral("Table"), 1) != 0);
    TableViewItemClick(nullptr);
    reg.endGroup();
    reg.beginGroup(QStringLiteral("Params"));
    ATypeRadioGroup->SetItemIndex(ReadInteger(reg, QStringLiteral("AType"), 0));
    PowerComboBox->setCurrentIndex(ReadInteger(reg, QStringLiteral("Power"), 0));
    reg.endGroup();
    reg.beginGroup(QStringLiteral("Table"));
    MinEdit->setText(ReadString(reg, QStringLiteral("Min"), QStringLiteral("1")));
    MaxEdit->setText(ReadString(reg, QStringLiteral("Max"), QStringLiteral("100")));
    StepEdit->setText(ReadString(reg, QStringLiteral("Step"), QStringLiteral("1")));
    ScalePwrComboBox->setCurrentIndex(ReadInteger(reg, QStringLiteral("ScalePower"), 0));
    IntervalsCheckBox->setChecked(ReadInteger(reg, QStringLiteral("Intervals"), 0) != 0);
    MaxErrEdit->setText(ReadString(reg, QStringLiteral("MaxError"), QStringLiteral("1")));
    reg.endGroup();
    ControlsToDocument();

    RowScrollBar->setRange(0, 0);
    RowScrollBar->setValue(0);
    PointsModel->Refresh();
    Zooming = false;
    Document.GraphXMin = 0;
    Document.GraphXMax = 100;
    Document.GraphYMin = 0;
    Document.GraphYMax = 100;
    Document.Modified = false;
    if (!args.isEmpty())
        DoOpenFile(args.first());
}

void TMainForm::FormDestroy()
{
    QSettings reg = ScaleSettings();
    reg.beginGroup(QStringLiteral("Window"));
    reg.setValue(QStringLiteral("Left"), pos().x());
    reg.setValue(QStringLiteral("Top"), pos().y());
    reg.setValue(QStringLiteral("Width"), size().width());
    reg.setValue(QStringLiteral("Height"), size().height());
    reg.setValue(QStringLiteral("Panel"), int(panelAlign_));
    reg.setValue(QStringLiteral("Table"), TableViewItem->isChecked() ? 1 : 0);
    reg.endGroup();
    reg.beginGroup(QStringLiteral("Params"));
    reg.setValue(QStringLiteral("AType"), ATypeRadioGroup->ItemIndex());
    reg.setValue(QStringLiteral("Power"), PowerComboBox->currentIndex());
    reg.endGroup();
    reg.beginGroup(QStringLiteral("Table"));
    reg.setValue(QStringLiteral("Min"), MinEdit->text());
    reg.setValue(QStringLiteral("Max"), MaxEdit->text());
    reg.setValue(QStringLiteral("Step"), StepEdit->text());
    reg.setValue(QStringLiteral("ScalePower"), ScalePwrComboBox->currentIndex());
    reg.setValue(QStringLiteral("Intervals"), IntervalsCheckBox->isChecked() ? 1 : 0);
    reg.setValue(QStringLiteral("MaxError"), MaxErrEdit->text());
    reg.endGroup();
    reg.sync();
    Graph.reset();
    Document.ClearTable();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    bool canClose = false;
    Guarded(this, [&] { FormCloseQuery(canClose); });
    if (canClose)
        event->accept();
    else
        event->ignore();
}

void TMainForm::FormCloseQuery(bool &CanClose)
{
    CanClose = TryClearAll();
}

// ---- menu commands -------------------------------------------------------

QPrinter &TMainForm::ThePrinter()
{
    if (!Printer)
        Printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *Printer;
}

void TMainForm::PrintGraphikItemClick()
{
    ControlsToDocument();
    PrintGraph(this, Document, ThePrinter(), ScaleEdit->text(), IntervalsCheckBox->isChecked());
}

void TMainForm::PrintTableItemClick()
{
    ControlsToDocument();
    PrintTable(this, Document, ThePrinter());
}
void TMainForm::ScalelistClick()
{
    if (!ScaleListCommand(*ScaleListForm, Document, ScaleImportSteps()))
        return;
    // The scale has points now, as after an add: it can be written back.
    ProgrammItem->setEnabled(true);
    MenuItem12->setEnabled(true);
}

ImportSteps TMainForm::ScaleImportSteps()
{
    ImportSteps steps;
    steps.owner = this;
    steps.tryClearAll = [this] { return TryClearAll(); };
    steps.showDocument = [this] { ShowImportedScale(); };
    steps.recalculate = [this] { CalcButtonClick(); };
    steps.fitGraph = [this] { FormDblClick(); };
    return steps;
}

void TMainForm::ShowImportedScale()
{
    {
        // One recalculation follows; a handler now would recalculate with
        // half the new values and complain about them.
        const QSignalBlocker quiet[] = {
            QSignalBlocker(ATypeRadioGroup), QSignalBlocker(XNameEdit),        QSignalBlocker(YNameEdit),
            QSignalBlocker(DescriptionEdit), QSignalBlocker(MinEdit),          QSignalBlocker(MaxEdit),
            QSignalBlocker(StepEdit),        QSignalBlocker(IntervalsCheckBox), QSignalBlocker(MaxErrEdit),
            QSignalBlocker(ScalePwrComboBox)};
        ATypeRadioGroup->SetItemIndex(Document.ATypeIndex);
        XNameEdit->setText(Document.XNameText);
        YNameEdit->setText(Document.YNameText);
        DescriptionEdit->setText(Document.UnitsText);
        MinEdit->setText(Document.MinText);
        MaxEdit->setText(Document.MaxText);
        StepEdit->setText(Document.StepText);
        IntervalsCheckBox->setChecked(Document.Intervals);
        MaxErrEdit->setText(Document.MaxErrText);
        ScalePwrComboBox->setCurrentIndex(Document.ScalePwrIndex);
    }
    PointsChanged(Document.PointCount - 1);
}

void TMainForm::RX54ItemClick()
{
    ControlsToDocument();
    ScaleWriteCommand(this, Document, *PRx54ProgForm);
}

void TMainForm::OpenItemClick()
{
    if (!TryClearAll())
        return;
    QString path;
    if (ui::Current().OpenFileName(this, {QString(), OpenDialogFilter, QStringLiteral("scl3"), QString()}, path))
        DoOpenFile(path);
    Document.Modified = false;
    (English ? MenuItem12 : ProgrammItem)->setEnabled(true);
}

void TMainForm::SaveItemClick() { SaveToChosenFile(); }

bool TMainForm::SaveToChosenFile()
{
    QString path;
    if (!ui::SaveFileNameCreating(this, {QString(), SaveDialogFilter, QStringLiteral("scl3"), QString()}, path))
        return false;
    ControlsToDocument();
    SaveScaleFile(path, Document);
    setWindowTitle(Lang("Шкала - ", "Scale - ") + path);
    Document.Modified = false;
    return true;
}

void TMainForm::DoOpenFile(const QString &path)
{
    ScaleDocument loaded;
    const ScaleFileStatus status = LoadScaleFile(path, loaded);
    if (!status.Loaded()) {
        ui::Message(this, status.Text(), status.Caption(), ui::MbOk | ui::MbIconError);
        return;
    }
    setWindowTitle(Lang("Шкала - ", "Scale - ") + path);
    ScaleEdit->setText(loaded.AboutText);
    XNameEdit->setText(loaded.XNameText);
    YNameEdit->setText(loaded.YNameText);
    DescriptionEdit->setText(loaded.UnitsText);
    {
        // One recalculation below, with the loaded points, instead of one
        // for each control on the way.
        const QSignalBlocker blockType(ATypeRadioGroup), blockPower(PowerComboBox),
            blockFormat(ScalePwrComboBox), blockIntervals(IntervalsCheckBox);
        ATypeRadioGroup->SetItemIndex(loaded.ATypeIndex);
        PowerComboBox->setCurrentIndex(loaded.PowerIndex);
        MinEdit->setText(loaded.MinText);
        MaxEdit->setText(loaded.MaxText);
        StepEdit->setText(loaded.StepText);
        ScalePwrComboBox->setCurrentIndex(loaded.ScalePwrIndex);
        IntervalsCheckBox->setChecked(loaded.Intervals);
        MaxErrEdit->setText(loaded.MaxErrText);
    }
    Document.PointCount = loaded.PointCount;
    std::copy_n(loaded.PointX, MaxPoints, Document.PointX);
    std::copy_n(loaded.PointY, MaxPoints, Document.PointY);
    PointsChanged(0);
    CalcButtonClick();
    FormDblClick();
    Document.Modified = false;
}

void TMainForm::ClearItemClick() { TryClearAll(); }

bool TMainForm::TryClearAll()
{
    if (Document.Modified) {
        const int answer = ui::Message(this, Lang("Сохранить шкалу ?", "Save scale?"), windowTitle(),
                                       ui::MbYesNoCancel | ui::MbIconQuestion);
        if (answer == ui::IdYes) {
            // Unsaved work is never dropped: a save that was cancelled or
            // failed stops whatever asked for the clearing.
            bool saved = false;
            try {
                saved = SaveToChosenFile();
            } catch (const std::exception &e) {
                ShowException(this, e);
            }
            if (!saved)
                return false;
        } else if (answer != ui::IdNo) {
            return false;
        }
    }
    TableMemoModel->BeginRecalculation();
    Document.Reset();
    TableMemoModel->EndRecalculation(Document.TableDecimals());
    setWindowTitle(Lang("Шкала", "Scale"));
    CalcButtonClick();
    RowScrollBar->setRange(0, 0);
    RowScrollBar->setValue(0);
    PointsModel->Refresh();
    PointsGrid->SetRow(0);
    ScaleEdit->clear();
    XNameEdit->clear();
    YNameEdit->clear();
    Document.Modified = false;
    return true;
}

void TMainForm::ExitItemClick() { close(); }

void TMainForm::AboutProgClick() { AboutForm->Execute(); }

void TMainForm::English1Click()
{
    English = !English;
    UpdateLangauge();
}

void TMainForm::UpdateLangauge()
{
    UpdateQtTranslation(); // the standard buttons and dialogs follow
    menuBar()->clear();
    for (QMenu *m : CurrentMenu())
        menuBar()->addMenu(m);
    setWindowTitle(Lang("Шкала", "Scale"));
    Label5->setText(Lang("Описание", "Description"));
    Label9->setText(Lang("Шкала измерения", "Measurement scale"));
    Label7->setText(Lang("Шкала фппроксимации", "Approximation scale"));
    Label10->setText(Lang("Единицы", "Units"));
    ATypeRadioGroup->setTitle(Lang(" Аппроксимация ", " Approximation "));
    ATypeRadioGroup->SetItems({Lang("кусочно-линейная", "piecewise linear"), Lang("полиномом", "polynomial")});
    Label1->setText(Lang("от", "from"));
    Label3->setText(Lang("шаг", "step"));
    Label4->setText(Lang("до", "to"));
    Label6->setText(Lang("формат", "format"));
    Bevel1->setTitle(Lang("Таблица", "Table"));
    IntervalsCheckBox->setText(Lang("Точки для программирования", "Points for programming"));
    Label8->setText(Lang("Макс. отклонение", "Max. deviation"));
    AddPointButton->setText(Lang("Добавить", "Add"));
    DelPointButton->setText(Lang("Удалить", "Delete"));
    EditPointButton->setText(Lang("Изменить", "Change"));
    BitBtn1->setText(Lang("Выход", "Exit"));
    OpenDialogFilter = Lang("Файлы шкал (*.scl3);;Все файлы (*)", "Scales files (*.scl3);;All files (*)");
    SaveDialogFilter = OpenDialogFilter;
}

// ---- points and recalculation ---------------------------------------------

void TMainForm::ControlsToDocument()
{
    Document.ATypeIndex = ATypeRadioGroup->ItemIndex();
    Document.PowerIndex = PowerComboBox->currentIndex();
    Document.ScalePwrIndex = ScalePwrComboBox->currentIndex();
    Document.Intervals = IntervalsCheckBox->isChecked();
    Document.MinText = MinEdit->text();
    Document.MaxText = MaxEdit->text();
    Document.StepText = StepEdit->text();
    Document.MaxErrText = MaxErrEdit->text();
    Document.AboutText = ScaleEdit->text();
    Document.XNameText = XNameEdit->text();
    Document.YNameText = YNameEdit->text();
    Document.UnitsText = DescriptionEdit->text();
}

void TMainForm::CalcButtonClick()
{
    SetHourglass();
    ControlsToDocument();
    RecalcReport report;
    TableMemoModel->BeginRecalculation();
    try {
        report = Document.Recalculate();
    } catch (...) {
        TableMemoModel->EndRecalculation(Document.TableDecimals());
        throw;
    }
    TableMemoModel->EndRecalculation(Document.TableDecimals());
    UpdateGraph();
    if (isVisible())
        FormPaint();
    RestoreCursor();
    ShowReport(report);
}

void TMainForm::ShowReport(const RecalcReport &report)
{
    for (const QString &m : report.fitMessages)
        ui::Message(this, m, QCoreApplication::applicationName(), ui::MbOk);
    if (report.field == ScaleField::None)
        return;
    ui::Message(this, report.fieldMessage, report.fieldCaption, ui::MbOk | ui::MbIconError);
    QLineEdit *edit = report.field == ScaleField::MinEdit    ? MinEdit
                      : report.field == ScaleField::MaxEdit  ? MaxEdit
                      : report.field == ScaleField::StepEdit ? StepEdit
                                                             : MaxErrEdit;
    edit->setFocus();
}

void TMainForm::UpdateGraph()
{
    if (!Graph)
        return;
    const ScaleDocument &d = Document;
    Graph->SetRange(d.GraphXMin, d.GraphXMax, d.GraphYMin, d.GraphYMax);
    Graph->DrawPoints(d.PointCount, d.PointX, d.PointY, 3, RGBRef(0, 255, 0), true, RGBRef(255, 0, 255));
    Graph->DrawPolyline(d.TableCount, d.TableX.data(), d.TableY.data(), RGBRef(0, 255, 0), false, 3,
                        RGBRef(255, 0, 0), false);
    if (IntervalsCheckBox->isChecked())
        Graph->DrawPolyline(d.ProgCount, d.ProgX, d.ProgY, RGBRef(255, 255, 0), true, 3, RGBRef(255, 0, 0), false);
}

void TMainForm::PointsChanged(int row)
{
    PointsModel->Refresh();
    PointsGrid->SetRow(std::clamp(row, 0, PointsGrid->RowCount() - 1));
    RowScrollBar->setMaximum(std::max(Document.PointCount - 1, 0));
    RowScrollBar->setValue(PointsGrid->Row());
    PointsGrid->viewport()->update();
}

void TMainForm::AddPointButtonClick()
{
    if (Document.PointCount >= MaxPoints)
        return;
    double x = 0, y = 0;
    if (!EditPointForm->Execute(Lang("Добавить точку", "Add point"), x, y))
        return;
    const int row = Document.AddPoint(x, y);
    if (row < 0)
        return;
    PointsChanged(row);
    CalcButtonClick();
    Document.Modified = true;
    ProgrammItem->setEnabled(true);
    MenuItem12->setEnabled(true);
}

void TMainForm::EditPointButtonClick()
{
    const int r = PointsGrid->Row();
    if (Document.PointCount <= 0 || r < 0 || r >= Document.PointCount)
        return;
    double x = Document.PointX[r], y = Document.PointY[r];
    if (!EditPointForm->Execute(Lang("Изменить точку", "Change point"), x, y))
        return;
    PointsChanged(Document.ChangePoint(r, x, y));
    CalcButtonClick();
    Document.Modified = true;
}

void TMainForm::DelPointButtonClick()
{
    const int r = PointsGrid->Row();
    if (Document.PointCount <= 0 || r < 0 || r >= Document.PointCount)
        return;
    const QString x = numtext::FloatToStr(Document.PointX[r]);
    const QString y = numtext::FloatToStr(Document.PointY[r]);
    const QString text = Lang("Удалить точку ", "Delete point ") + x + QStringLiteral(", ") + y + QStringLiteral(" ?");
    if (ui::Message(this, text, Lang("Удалить", "Delete"), ui::MbYesNo | ui::MbIconQuestion) != ui::IdYes)
        return;
    Document.DeletePoint(r);
    PointsChanged(r);
    CalcButtonClick();
    Document.Modified = true;
}

void TMainForm::PointsGridDrawCell(QPainter &painter, int ACol, int ARow, const QRect &Rect, bool selected)
{
    QString text;
    if (Document.PointCount > 0 && ARow >= 0 && ARow < Document.PointCount)
        text = numtext::FloatToStr(ACol == 0 ? Document.PointX[ARow] : Document.PointY[ARow]);
    const bool marked = selected && Document.PointCount > 0;
    painter.fillRect(Rect, marked ? QColor(0, 0, 128) : QColor(255, 255, 255));
    if (text.isEmpty())
        return;
    // Navy with the grid's dark text would be unreadable: white on navy.
    painter.setPen(marked ? QColor(255, 255, 255) : QColor(0, 0, 0));
    const QFontMetrics fm(painter.font());
    const int left = Rect.width() - fm.horizontalAdvance(text) - 2;
    const int top = (Rect.height() - fm.height()) / 2;
    // A long value shows its right end and leaves the neighbouring cell alone.
    painter.save();
    painter.setClipRect(Rect, Qt::IntersectClip);
    painter.drawText(Rect.left() + left, Rect.top() + top + fm.ascent(), text);
    painter.restore();
}

void TMainForm::PointsGridSelectCell(int ARow) { RowScrollBar->setValue(ARow); }

void TMainForm::RowScrollBarChange()
{
    if (Document.PointCount <= 0)
        return;
    const int row = std::min(RowScrollBar->value(), Document.PointCount - 1);
    if (row != PointsGrid->Row())
        PointsGrid->SetRow(row);
}

bool TMainForm::PointsGridKeyDown(int key)
{
    switch (key) {
    case Qt::Key_Insert:
        AddPointButtonClick();
        return true;
    case Qt::Key_Delete:
        DelPointButtonClick();
        return true;
    case Qt::Key_F2:
        EditPointButtonClick();
        return true;
    default:
        return false;
    }
}

void TMainForm::PowerComboBoxChange()
{
    CalcButtonClick();
    Document.Modified = true;
}

bool TMainForm::MinEditKeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    CalcButtonClick();
    Document.Modified = true;
    return true;
}

void TMainForm::XNameEditChange()
{
    Document.XNameText = XNameEdit->text();
    Document.YNameText = YNameEdit->text();
    Document.Modified = true;
}

// The units go into the scale file like the names, so editing them is a change too.
void TMainForm::DescriptionEditChange()
{
    Document.UnitsText = DescriptionEdit->text();
    Document.Modified = true;
}

void TMainForm::ScaleEditChange()
{
    Document.AboutText = ScaleEdit->text();
    if (Graph) {
        Graph->Title = ScaleEdit->text();
        UpdateGraph();
        FormPaint();
    }
    Document.Modified = true;
}

// ---- graph view ------------------------------------------------------------

int TMainForm::GraphWidth() const { return std::max(ClientArea->width() - MainPanel->width() - 2, 0); }

int TMainForm::GraphHeight() const { return std::max(ClientArea->height() - TopPanel->height() - 2, 0); }

void TMainForm::FormPaint()
{
    if (!isVisible())
        return;
    ClientArea->repaint();
    ShowGraphMessages();
}

void TMainForm::ShowGraphMessages()
{
    if (Graph && !Graph->Messages.isEmpty())
        ShowNetMessages(*Graph, this);
}

void TMainForm::PaintClient(QPainter &painter)
{
    GraphOriginX = MainPanel->x() != 0 ? 1 : MainPanel->width() + 1;
    GraphOriginY = TopPanel->height() + 1;
    if (!Graph) {
        Graph = std::make_unique<TNet>(&painter, ScaleEdit->text(), GraphWidth(), GraphHeight(), Document.GraphXMin,
                                       Document.GraphXMax, Document.GraphYMin, Document.GraphYMax,
                                       RGBRef(255, 255, 0), RGBRef(128, 128, 128), 0, false, false);
        // The recalculation may have to say something: not from inside a paint.
        firstPaintPending_ = true;
        QTimer::singleShot(0, this, [this] { Guarded(this, [&] { FirstPaintDone(); }); });
    }
    Graph->PaintTo(&painter, GraphOriginX, GraphOriginY, 0, 0);
    if (Zooming) {
        painter.setPen(QColor(255, 0, 0));
        const QPoint corners[] = {ZoomStart, {ZoomEnd.x(), ZoomStart.y()}, ZoomEnd, {ZoomStart.x(), ZoomEnd.y()}};
        painter.drawPolygon(corners, 4);
    }
    if (!Graph->Messages.isEmpty() && !firstPaintPending_)
        QTimer::singleShot(0, this, [this] { Guarded(this, [&] { ShowGraphMessages(); }); });
}

void TMainForm::FirstPaintDone()
{
    firstPaintPending_ = false;
    CalcButtonClick();
    ShowGraphMessages();
}

void TMainForm::FormResize()
{
    if (!Graph)
        return;
    Graph->Resize(nullptr, GraphWidth(), GraphHeight());
    UpdateGraph();
    FormPaint();
}

void TMainForm::MainPanelResize()
{
    // BottomPanel keeps to the bottom of the panel.
    BottomPanel->move(BottomPanel->x(), MainPanel->height() - BottomPanel->height() - 2);
    const int gridHeight = std::max(BottomPanel->y() - PointsGrid->y() - 1, 0);
    PointsGrid->resize(PointsGrid->width(), gridHeight);
    RowScrollBar->resize(RowScrollBar->width(), gridHeight);
    TableMemo->resize(TableMemo->width(), std::max(MainPanel->contentsRect().bottom() + 1 - TableMemo->y() - 1, 0));
}

void TMainForm::TopPanelResize()
{
    TopBevel->resize(TopPanel->width(), TopBevel->height());
    ScaleEdit->resize(std::max(TopPanel->width() - ScaleEdit->x() - 8, 0), ScaleEdit->height());
}

void TMainForm::AlignPanels()
{
    const int w = ClientArea->width(), h = ClientArea->height();
    TopPanel->setGeometry(0, 0, w, TopPanelHeight);
    const int pw = MainPanel->width();
    MainPanel->setGeometry(panelAlign_ == alLeft ? 0 : w - pw, TopPanelHeight, pw, std::max(h - TopPanelHeight, 0));
}

void TMainForm::SetPanelAlign(TPanelAlign align)
{
    panelAlign_ = align;
    AlignPanels();
    ClientArea->update();
}

void TMainForm::RightItemClick() { SetPanelAlign(alRight); }

void TMainForm::LeftItemClick() { SetPanelAlign(alLeft); }

void TMainForm::TableViewItemClick(QObject *sender)
{
    if (sender)
        TableViewItem->setChecked(!TableViewItem->isChecked());
    const int column = XNameEdit->x() + XNameEdit->width();
    if (TableViewItem->isChecked()) {
        MainPanel->resize(column + TableMemo->width() + 12, MainPanel->height());
        TableMemo->setVisible(true);
        TableMemo->setEnabled(true);
    } else {
        TableMemo->setVisible(false);
        TableMemo->setEnabled(false);
        MainPanel->resize(column + 8, MainPanel->height());
    }
    AlignPanels();
    FormResize();
}

bool TMainForm::PlotContains(const QPoint &pos) const
{
    if (!Graph)
        return false;
    const TPlotRect &r = Graph->PlotRect;
    return r.left + GraphOriginX <= pos.x() && pos.x() <= r.right + GraphOriginX && r.top + GraphOriginY <= pos.y() &&
           pos.y() <= r.bottom + GraphOriginY;
}

bool TMainForm::ApplyGraphRange(double xMin, double xMax, double yMin, double yMax)
{
    if (!TNet::AcceptsRange(xMin, xMax, yMin, yMax)) {
        FormPaint();
        return false;
    }
    Document.GraphXMin = xMin;
    Document.GraphXMax = xMax;
    Document.GraphYMin = yMin;
    Document.GraphYMax = yMax;
    UpdateGraph();
    FormPaint();
    return true;
}

void TMainForm::FormDblClick()
{
    if (Document.PointCount <= 0)
        return;
    const ScaleDocument &d = Document;
    const double dx = d.TableXMax - d.TableXMin;
    const double dy = d.TableYMax - d.TableYMin;
    ApplyGraphRange(d.TableXMin - 0.1 * dx, d.TableXMax + 0.1 * dx, d.TableYMin - 0.1 * dy, d.TableYMax + 0.1 * dy);
}

void TMainForm::FormMouseDown(Qt::MouseButton button, const QPoint &pos)
{
    // Neither the box nor the dialog without points.
    if (Document.PointCount <= 0)
        return;
    if (button == Qt::RightButton) {
        if (Zooming) {
            Zooming = false;
            FormPaint();
            return;
        }
        double xMin = Document.GraphXMin, xMax = Document.GraphXMax;
        double yMin = Document.GraphYMin, yMax = Document.GraphYMax;
        if (NetSizeForm->Execute(xMin, xMax, yMin, yMax))
            ApplyGraphRange(xMin, xMax, yMin, yMax);
        return;
    }
    if (button != Qt::LeftButton || Zooming || !PlotContains(pos))
        return;
    ZoomStart = pos;
    ZoomEnd = pos;
    Zooming = true;
}

void TMainForm::FormMouseMove(const QPoint &pos)
{
    if (Zooming) {
        if (!Graph)
            return;
        // The moving corner stays on the plot.
        const TPlotRect &r = Graph->PlotRect;
        const int x = std::max(std::min(pos.x(), r.right + GraphOriginX), r.left + GraphOriginX);
        const int y = std::max(std::min(pos.y(), r.bottom + GraphOriginY), r.top + GraphOriginY);
        ZoomEnd = QPoint(x, y);
        FormPaint();
        return;
    }
    if (!Graph)
        return;
    if (!PlotContains(pos)) {
        PosLabel->clear();
        return;
    }
    double x = 0, y = 0;
    Graph->PixelToValue(pos.x() - GraphOriginX, pos.y() - GraphOriginY, x, y);
    PosLabel->setText(ReadoutText(x, y, ScalePwrComboBox->currentIndex()));
}

void TMainForm::FormMouseUp()
{
    if (!Zooming)
        return;
    Zooming = false;
    if (ZoomEnd == ZoomStart || !Graph) {
        FormPaint();
        return;
    }
    // ZoomStart the bottom-left corner, ZoomEnd the top-right one.
    const QPoint bottomLeft(std::min(ZoomStart.x(), ZoomEnd.x()), std::max(ZoomStart.y(), ZoomEnd.y()));
    const QPoint topRight(std::max(ZoomStart.x(), ZoomEnd.x()), std::min(ZoomStart.y(), ZoomEnd.y()));
    ZoomStart = bottomLeft;
    ZoomEnd = topRight;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    Graph->PixelToValue(ZoomStart.x() - GraphOriginX, ZoomStart.y() - GraphOriginY, xMin, yMin);
    Graph->PixelToValue(ZoomEnd.x() - GraphOriginX, ZoomEnd.y() - GraphOriginY, xMax, yMax);
    ApplyGraphRange(xMin, xMax, yMin, yMax);
}
