// The designer's exchanges with the instrument, byte for byte, against the
// emulator on a pseudo-terminal.
#include "tests/transfer/transfer_test_util.h"

#include "scale/scaledocument.h"
#include "transfer/scaleimport.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <cmath>

using emu::Bytes;

namespace {

Bytes Triple(std::uint8_t third) { return {0xC3, 0x66, third}; }

Bytes ListReply(const emu::InstrumentData &d)
{
    Bytes r = Triple(0x87);
    r.push_back(static_cast<std::uint8_t>(d.scales.size()));
    for (const auto &s : d.scales) {
        Bytes e = emu::ListEntry(s);
        r.insert(r.end(), e.begin(), e.end());
    }
    return Join({r, Triple(0x87)});
}

Bytes Head(const ScaleRecord &r, std::size_t n) { return Bytes(r.begin(), r.begin() + static_cast<long>(n)); }
Bytes Head(const std::array<std::uint8_t, 256> &r, std::size_t n, int) { return Bytes(r.begin(), r.begin() + static_cast<long>(n)); }

ScaleWriteData Sample()
{
    ScaleWriteData d;
    d.xTitle = QStringLiteral("U");
    d.name = QStringLiteral("AB");
    d.units = QStringLiteral("mV");
    d.x = {0, 100, -5};
    d.y = {0, 1234, 40000};
    d.decimals = 2;
    return d;
}

// A list update through the dialog, as the user presses the button.
void Update(TScaleListForm &form)
{
    form.CreatCOMPortList();
    form.BitBtn1Click();
}

// A list read, then a clean wire and no recorded boxes for what follows.
bool Listed(TransferBench &b, TScaleListForm &form)
{
    Update(form);
    const bool ended = b.WaitEnd();
    b.stand.instrument.ClearEvents();
    b.dialogs.Clear();
    return ended;
}

void Select(TScaleListForm &form, int row) { form.ScaleGrid->setCurrentCell(row, 0); }

TEST(WriteExchange, SendsExactlyTheseBytesWithTheirPauses)
{
    TransferBench b;
    const emu::InstrumentData before = b.stand.instrument.Data();
    const ScaleWriteData d = Sample();
    ScaleRecord buffer{};
    buffer.fill(0x55);
    EXPECT_EQ(WriteScaleToInstrument(nullptr, b.stand.Path(), d, buffer), ConnectionResult::Done);
    ASSERT_TRUE(b.WaitEnd());

    const Bytes record = Head(buffer, ScaleSendLength);
    EXPECT_EQ(Hex(b.FromPc()), Hex(Join({{0x81, 0x00, 0x87, 0x85}, record, {0x84}})));
    EXPECT_EQ(Hex(b.FromDevice()), Hex(Join({Triple(0x81), ListReply(before), Triple(0x85), Triple(0x85)})));
    for (int i = ScaleSendLength; i < ScaleRecordSize; ++i)
        EXPECT_EQ(buffer[static_cast<std::size_t>(i)], 0) << "the buffer holds the whole record, zero after 250";

    // The emulator's own reading of the layout agrees.
    const auto expected = emu::MakeScale(QStringLiteral("AB"), QStringLiteral("mV"), 2,
                                         {{0, 0}, {100, 1234}, {65531, 40000}});
    EXPECT_EQ(Hex(record), Hex(Head(expected.record, ScaleSendLength, 0)));
    const auto stored = b.stand.instrument.Data().scales;
    ASSERT_EQ(stored.size(), before.scales.size() + 1);
    EXPECT_EQ(stored.back().address, 5);

    ASSERT_EQ(b.dialogs.messages.size(), 2u);
    EXPECT_EQ(b.dialogs.messages[0].caption, QString::fromUtf8("Соединение с прибором"));
    EXPECT_EQ(b.dialogs.messages[1].text, QString::fromUtf8("Шкала AB      mV   записана в Q5-M8"));
    EXPECT_EQ(b.dialogs.messages[1].caption, QString::fromUtf8("Запись шкалы в Q5-M8"));
    EXPECT_EQ(b.dialogs.messages[1].flags, ui::MbOk | ui::MbIconInformation);

    // 100 ms before every byte of SendCommand; the poll byte and the record go at once.
    const auto gaps = b.PcGaps();
    ASSERT_EQ(gaps.size(), 4u + ScaleSendLength + 1);
    for (std::size_t i : {std::size_t{2}, std::size_t{3}, gaps.size() - 1})
        EXPECT_GE(gaps[i].second, 100.0) << "byte " << i;
    EXPECT_LT(gaps[1].second, 100.0) << "the poll byte";
    // A pause would make a gap of 100 ms at least; the whole record takes
    // less than a tenth of the 25 s that pauses before each byte would.
    EXPECT_LT(gaps[4].second, 100.0) << "the first record byte follows the go-ahead at once";
    const auto pc = b.PcTimes();
    double longest = 0;
    for (std::size_t i = 5; i < 4 + ScaleSendLength; ++i)
        longest = std::max(longest, TransferBench::Ms(pc[i] - pc[i - 1]));
    EXPECT_LT(longest, 100.0) << "the record goes without pauses";
    EXPECT_LT(TransferBench::Ms(pc[3 + ScaleSendLength] - pc[4]), 2500.0);
}

TEST(WriteExchange, TheDefaultScalesNameIsNoDuplicate)
{
    TransferBench b;
    ScaleWriteData d = Sample();
    d.name = QStringLiteral("Udefault");
    d.units = QStringLiteral("V");
    ScaleRecord buffer{};
    EXPECT_EQ(WriteScaleToInstrument(nullptr, b.stand.Path(), d, buffer), ConnectionResult::Done);
    EXPECT_EQ(b.stand.instrument.Data().scales.size(), 5u);
}

TEST(WriteExchange, AForeignPrefixToTheWriteStillSendsTheRecord)
{
    for (const char *fault : {"85:patch:0=00", "85:replace:00 66 e4"}) {
        TransferBench b;
        b.Fault(fault);
        ScaleRecord buffer{};
        EXPECT_EQ(WriteScaleToInstrument(nullptr, b.stand.Path(), Sample(), buffer), ConnectionResult::Done)
            << fault;
        ASSERT_TRUE(b.WaitEnd());
        EXPECT_EQ(b.FromPc().size(), 4u + ScaleSendLength + 1) << fault;
        const auto stored = b.stand.instrument.Data().scales;
        ASSERT_EQ(stored.size(), 5u) << "the instrument took the record as one, " << fault;
        EXPECT_EQ(Hex(Head(stored.back().record, ScaleSendLength, 0)), Hex(Head(buffer, ScaleSendLength)));
    }
}

TEST(WriteExchange, RefusedWritesSendNoRecord)
{
    for (const char *fault : {"85:patch:e4", "85:patch:e0", "85:patch:e3"}) {
        TransferBench b;
        b.Fault(fault);
        ScaleRecord buffer{};
        EXPECT_EQ(WriteScaleToInstrument(nullptr, b.stand.Path(), Sample(), buffer), ConnectionResult::Failed);
        ASSERT_TRUE(b.WaitEnd());
        EXPECT_EQ(Hex(b.FromPc()), Hex({0x81, 0x00, 0x87, 0x85, 0x84})) << fault;
        EXPECT_EQ(b.stand.instrument.Data().scales.size(), 4u);
    }
}

TEST(WriteExchange, ADuplicateIsRefusedBeforeTheWriteCommand)
{
    TransferBench b;
    ScaleWriteData d = Sample();
    d.name = QStringLiteral("Third");
    ScaleRecord buffer{};
    EXPECT_EQ(WriteScaleToInstrument(nullptr, b.stand.Path(), d, buffer), ConnectionResult::Failed);
    ASSERT_TRUE(b.WaitEnd());
    EXPECT_EQ(Hex(b.FromPc()), Hex({0x81, 0x00, 0x87, 0x84}));
    // A name that differs only in case is another name.
    d.name = QStringLiteral("THIRD");
    EXPECT_EQ(WriteScaleToInstrument(nullptr, b.stand.Path(), d, buffer), ConnectionResult::Done);
}

TEST(WriteExchange, ValuesOutOfRangeAreRefusedBeforeAnyByte)
{
    TransferBench b;
    ScaleWriteData d = Sample();
    d.y[1] = 65536;
    TPRx54ProgForm form;
    form.Execute(d); // no form driver: shown and closed
    form.BitBtn1Click();
    ASSERT_EQ(b.dialogs.messages.size(), 1u) << "no prompt, no connection";
    EXPECT_TRUE(b.dialogs.messages[0].text.contains(QStringLiteral("65535")));
    d.y[1] = 1;
    d.name = QString::fromUtf8("日本");
    form.Execute(d);
    form.BitBtn1Click();
    ASSERT_EQ(b.dialogs.messages.size(), 2u);
    EXPECT_TRUE(b.dialogs.messages[1].text.contains(QStringLiteral("Windows-1251")));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(b.FromPc().empty());
}

TEST(ListExchange, VersionAndListByteForByte)
{
    TransferBench b;
    TScaleListForm form;
    Update(form);
    ASSERT_TRUE(b.WaitEnd());
    const emu::InstrumentData d = b.stand.instrument.Data();
    EXPECT_EQ(Hex(b.FromPc()), Hex({0x81, 0x00, 0x8B, 0x87, 0x84}));
    // The closing status of the list is not read; the end command drops it.
    EXPECT_EQ(Hex(b.FromDevice()),
              Hex(Join({Triple(0x81), {0xC3, 0x66, 1, 2, 15}, ListReply(d)})));
    for (const auto &[byte, gap] : b.PcGaps()) {
        if (byte != 0x00 && gap >= 0) {
            EXPECT_GE(gap, 100.0) << std::hex << int(byte);
        }
    }
    EXPECT_EQ(form.DeviceLabel->text(), QStringLiteral("Q5-M8 v.1.2.15"));
    EXPECT_EQ(form.Label1->text(), QString::fromUtf8("Получен список шкал"));
    ASSERT_EQ(ScaleList.count, 4);
    EXPECT_EQ(ScaleList.address[3], 4);
    ASSERT_EQ(form.ScaleGrid->rowCount(), 5);
    EXPECT_EQ(CellAt(form.ScaleGrid, 1, 1), QString::fromUtf8("Uбазовая"));
    EXPECT_EQ(CellAt(form.ScaleGrid, 3, 1), QString::fromUtf8("Давление"));
    EXPECT_EQ(CellAt(form.ScaleGrid, 3, 2), QString::fromUtf8("кПа "));
    EXPECT_EQ(CellAt(form.ScaleGrid, 3, 3), QStringLiteral("3"));
    EXPECT_TRUE(b.dialogs.messages.size() == 1) << "only the prompt";
    EXPECT_EQ(PortText, b.stand.Path());
}

TEST(ListExchange, AConnectionRightAfterAnotherKeepsItsEndCommand)
{
    TransferBench b;
    TScaleListForm form;
    for (int i = 0; i < 3; ++i)
        Update(form); // each opens the port a moment after the last one closed
    EXPECT_TRUE(b.stand.instrument.WaitReceived(
        [](const Bytes &r) { return std::count(r.begin(), r.end(), CmdDisconnect) == 3; },
        std::chrono::milliseconds(2000)))
        << Hex(b.FromPc());
}

TEST(DeleteExchange, RemovesTheSelectedScaleAndShowsTheNewAddresses)
{
    TransferBench b;
    TScaleListForm form;
    ASSERT_TRUE(Listed(b, form));
    Select(form, 3); // "Давление", address 3
    form.DelBtnClick();
    ASSERT_TRUE(b.WaitEnd());
    EXPECT_EQ(Hex(b.FromPc()), Hex({0x81, 0x00, 0x89, 0x02, 0x87, 0x84}));
    const auto gaps = b.PcGaps();
    ASSERT_EQ(gaps.size(), 6u);
    EXPECT_LT(gaps[2].second, 100.0) << "0x89 goes at once";
    EXPECT_LT(gaps[3].second, 100.0) << "so does the address byte";
    EXPECT_GE(gaps[4].second, 100.0);
    EXPECT_GE(gaps[5].second, 100.0);

    const auto scales = b.stand.instrument.Data().scales;
    ASSERT_EQ(scales.size(), 3u);
    EXPECT_EQ(scales[2].record[1], 'T');
    ASSERT_EQ(form.ScaleGrid->rowCount(), 4);
    EXPECT_EQ(CellAt(form.ScaleGrid, 2, 1), QStringLiteral("Temp    "));
    EXPECT_EQ(CellAt(form.ScaleGrid, 3, 1), QStringLiteral("Third   "));
    EXPECT_EQ(CellAt(form.ScaleGrid, 3, 3), QStringLiteral("3"));
    // prompt, two confirmations
    EXPECT_EQ(b.Captions(), QStringList({QString::fromUtf8("Соединение с прибором"),
                                         QString::fromUtf8("Подверждение удаления"),
                                         QString::fromUtf8("Подверждение удаления")}));
    EXPECT_EQ(b.dialogs.messages[2].text, QString::fromUtf8("Удалить выбранную шкалу?"));
}

TEST(DeleteExchange, TheAddressByteIsTheEntrysOwnMinusOne)
{
    emu::InstrumentData d = ThreeScales();
    d.scales[3].address = 9;
    d.scales[1].address = 0;
    TransferBench b(d);
    TScaleListForm form;
    ASSERT_TRUE(Listed(b, form));
    Select(form, 4);
    form.DelBtnClick();
    ASSERT_TRUE(b.WaitEnd());
    EXPECT_EQ(Hex(b.FromPc()), Hex({0x81, 0x00, 0x89, 0x08, 0x87, 0x84}));
    b.stand.instrument.ClearEvents();
    Select(form, 2);
    form.DelBtnClick(); // address 0: the byte wraps to FF
    ASSERT_TRUE(b.WaitEnd());
    EXPECT_EQ(Hex(b.FromPc()), Hex({0x81, 0x00, 0x89, 0xFF, 0x87, 0x84}));
}

TEST(DeleteExchange, ARefusedStatusDeletesNothing)
{
    TransferBench b;
    TScaleListForm form;
    ASSERT_TRUE(Listed(b, form));
    b.Fault("89:patch:00");
    Select(form, 2);
    form.DelBtnClick();
    ASSERT_TRUE(b.WaitEnd());
    EXPECT_EQ(Hex(b.FromPc()), Hex({0x81, 0x00, 0x89, 0x84}));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(b.stand.instrument.Data().scales.size(), 4u) << "the end command is no address";
    EXPECT_FALSE(b.stand.instrument.Connected()) << "and ends the connection";
}

TEST(LoadExchange, SendsTheAddressOfTheRowAboveAndWaitsASecond)
{
    emu::InstrumentData d = ThreeScales();
    d.scales[3].address = 7; // the row above still decides
    TransferBench b(d);
    TScaleListForm form;
    ASSERT_TRUE(Listed(b, form));
    Select(form, 3); // "Давление": the byte of row 2 (address 2)
    form.LoadBtnClick();
    ASSERT_TRUE(b.WaitEnd());
    EXPECT_EQ(Hex(b.FromPc()), Hex({0x81, 0x00, 0x92, 0x02, 0x84}));
    const auto &stored = d.scales[2].record;
    EXPECT_EQ(Hex(b.FromDevice()), Hex(Join({Triple(0x81), Triple(0x92), Head(stored, 255, 0), Triple(0x92)})));
    const auto gaps = b.PcGaps();
    ASSERT_EQ(gaps.size(), 5u);
    EXPECT_GE(gaps[2].second, 100.0);
    // The address byte: 100 ms after 0x92 (nothing from the instrument between).
    // Both times are when the instrument took the byte, so a late wake-up for
    // the first shortens the gap a little; without the pause it would be ~0.
    const double jitter = 20.0;
    const auto pc = b.PcTimes();
    EXPECT_GE(TransferBench::Ms(pc[3] - pc[2]), 100.0 - jitter);
    const double addressToEnd = TransferBench::Ms(pc[4] - pc[3]);
    EXPECT_GE(addressToEnd, 1100.0 - jitter) << "the 1000 ms wait and the end command's pause";
    EXPECT_TRUE(ScaleLoaded);
    EXPECT_EQ(Hex(Head(ScaleBuffer, 255)), Hex(Head(stored, 255, 0)));
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(LoadExchange, TheHeaderAndTheDefaultScaleAreRefusedAfterOpeningWithNothingSent)
{
    for (bool english : {false, true}) {
        TransferBench b;
        English = english;
        TScaleListForm form;
        ASSERT_TRUE(Listed(b, form));
        for (int row : {0, 1}) {
            Select(form, row);
            form.LoadBtnClick();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_TRUE(b.FromPc().empty());
        ASSERT_EQ(b.dialogs.messages.size(), 4u);
        EXPECT_EQ(b.dialogs.messages[3].text, english ? QStringLiteral("Choose other scale")
                                                      : QString::fromUtf8("Выберите другую шкалу!"));
        EXPECT_EQ(b.dialogs.messages[3].caption, english ? QStringLiteral("Results Q5-M8")
                                                         : QString::fromUtf8("Результаты Q5-M8"));
        EXPECT_FALSE(ScaleLoaded);
    }
}

TEST(LoadExchange, ARefusedStatusEndsItWithoutTheEndCommand)
{
    TransferBench b;
    TScaleListForm form;
    ASSERT_TRUE(Listed(b, form));
    b.Fault("92:patch:e0");
    ScaleBuffer.fill(0x77);
    Select(form, 3);
    form.LoadBtnClick();
    ASSERT_TRUE(b.stand.instrument.WaitReceived([](const Bytes &r) { return r.size() >= 4; },
                                                std::chrono::milliseconds(2000)));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Hex(b.FromPc()), Hex({0x81, 0x00, 0x92, 0x02}));
    EXPECT_EQ(Hex(b.FromDevice()), Hex(Join({Triple(0x81), Triple(0xE0)}))) << "nothing after a refused status";
    EXPECT_FALSE(ScaleLoaded);
    EXPECT_EQ(ScaleBuffer[0], 0x77) << "a failed load leaves the buffer";
    EXPECT_NE(form.result(), QDialog::Accepted);
}

// ---------------------------------------------------------------------------
// The instrument's answers and the text each raises.

enum class Op { Write, Update, Load, Delete };

struct AnswerCase {
    const char *what;
    Op op;
    const char *fault;
    const char *russian;
    const char *english;
    bool rs232; // a serial failure box comes first
    const char *name = "New";
};

const char *const kReceiveRu = "Ошибка при приеме данных от прибора, или прибор не реагирует на команды";
const char *const kReceiveEn = "Error occured while receiving data from the device";
const char *const kTimeoutRu = "Вышло время ожидания команды";
const char *const kTimeoutEn = "Command time expired";

const AnswerCase kAnswers[] = {
    {"duplicate", Op::Write, nullptr, "Шкала с именем Third   уже есть", "Scale with the same nameThird   already exist",
     false, "Third"},
    {"write list time-out", Op::Write, "87:patch:e3", kTimeoutRu, kTimeoutEn, false},
    {"write list closing E0", Op::Write, "87:patch:-1=e0", kTimeoutRu, kTimeoutEn, false},
    {"write list count 0", Op::Write, "87:patch:3=00", kReceiveRu, kReceiveEn, false},
    {"memory full", Op::Write, "85:patch:e4", "В приборе нет свободных шкал !", "Memory is full", false},
    {"scale read", Op::Write, "85:patch:e0", "Ошибка чтения шкалы!", "Failed to read the scale", false},
    {"write time-out", Op::Write, "85:patch:e3", kTimeoutRu, kTimeoutEn, false},
    {"result C3 66 00", Op::Write, "85/1:patch:00", "Шкала не записалась!", "Failed to write down the scale", false},
    {"result C3 00 85", Op::Write, "85/1:patch:1=00", "Шкала не записалась!", "Failed to write down the scale",
     false},
    {"write hang-up mid-list", Op::Write, "87:hangup:30", kReceiveRu, kReceiveEn, true},
    {"write start C3 66 82", Op::Write, "81:patch:82", "Не удается подключиться к прибору", "Connect error", false},
    {"list time-out", Op::Update, "87:patch:e3", kTimeoutRu, kTimeoutEn, false},
    {"list count 0", Op::Update, "87:patch:3=00", kReceiveRu, kReceiveEn, false},
    {"list hang-up", Op::Update, "87:hangup:20", kReceiveRu, kReceiveEn, true},
    {"update start C3 66 82", Op::Update, "81:patch:82", "Не удается подключиться к прибору !",
     "Failed to connect to the device!", false},
    {"load status E0", Op::Load, "92:patch:e0",
     "Ошибка при приеме данных от прибора, либо прибор не реагирует на команды!", kReceiveEn, false},
    {"load closing status", Op::Load, "92:patch:-1=00",
     "Ошибка при приеме данных от прибора, либо прибор не реагирует на команды!", kReceiveEn, false},
    {"record count 0", Op::Load, "92:patch:52=00", "Ошибка при приеме данных из прибора!", kReceiveEn, false},
    {"record count 51", Op::Load, "92:patch:52=33", "Ошибка при приеме данных из прибора!", kReceiveEn, false},
    // Slow, so that the program has the status before the line goes.
    {"hang-up mid-record", Op::Load, "92:slow:5,92:hangup:100", "Ошибка при приеме данных из прибора!", kReceiveEn, true},
    {"delete status", Op::Delete, "89:patch:00", kReceiveRu, kReceiveEn, false},
    {"second delete status", Op::Delete, "89/1:patch:e0", kReceiveRu, kReceiveEn, false},
    {"list after delete", Op::Delete, "87@2:patch:e3", kTimeoutRu, kTimeoutEn, false},
};

QString CaptionOf(Op op, bool english)
{
    switch (op) {
    case Op::Write:
        return english ? QStringLiteral("Writing the scale to Q5-M8") : QString::fromUtf8("Запись шкалы в Q5-M8");
    case Op::Update:
        return english ? QStringLiteral("Results of Q5-M8") : QString::fromUtf8("Результаты Q5-M8");
    default:
        return english ? QStringLiteral("Results Q5-M8") : QString::fromUtf8("Результаты Q5-M8");
    }
}

// Runs the command against b; returns the dialog for the list commands.
void RunOp(TransferBench &b, Op op, const QString &name)
{
    if (op == Op::Write) {
        ScaleWriteData d = Sample();
        d.name = name;
        ScaleRecord buffer{};
        EXPECT_EQ(WriteScaleToInstrument(nullptr, b.stand.Path(), d, buffer), ConnectionResult::Failed);
        return;
    }
    TScaleListForm form;
    Update(form);
    if (op == Op::Update)
        return;
    Select(form, 3);
    if (op == Op::Load)
        form.LoadBtnClick();
    else
        form.DelBtnClick();
    EXPECT_FALSE(ScaleLoaded);
    if (op == Op::Delete) {
        EXPECT_EQ(form.ScaleGrid->rowCount(), 2) << "a failed delete leaves no stale list";
        EXPECT_FALSE(form.DelBtn->isEnabled());
        EXPECT_FALSE(form.LoadBtn->isEnabled());
    }
}

class Answers : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(Answers, RaiseTheirText)
{
    const AnswerCase &c = kAnswers[std::get<0>(GetParam())];
    const bool english = std::get<1>(GetParam());
    TransferBench b;
    English = english;
    if (c.fault)
        b.Fault(c.fault);
    RunOp(b, c.op, QString::fromUtf8(c.name));
    const RecordedMessage *last = b.Last();
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->text, QString::fromUtf8(english ? c.english : c.russian)) << c.what;
    EXPECT_EQ(last->caption, CaptionOf(c.op, english)) << c.what;
    EXPECT_EQ(last->flags, ui::MbOk | ui::MbIconError) << c.what;
    EXPECT_EQ(b.Captions().contains(QStringLiteral("RS232")), c.rs232) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, Answers,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kAnswers))),
                                            ::testing::Bool()),
                         [](const auto &info) {
                             std::string n = kAnswers[std::get<0>(info.param)].what;
                             for (char &ch : n)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return n + (std::get<1>(info.param) ? "_en" : "_ru");
                         });

// The only real time-outs: an instrument that stops answering.
class Silence : public ::testing::TestWithParam<bool> {};

TEST_P(Silence, ShowsTheSerialBoxThenTheReceiveText)
{
    const bool english = GetParam();
    TransferBench b;
    English = english;
    b.Fault("8b:silence");
    TScaleListForm form;
    Update(form);
    const QStringList texts = b.dialogs.Texts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[1], english ? QStringLiteral("Error at receiving data!") : QString::fromUtf8("Ошибка при приеме данных!"));
    EXPECT_EQ(texts[2], QString::fromUtf8(english ? kReceiveEn : kReceiveRu));
    EXPECT_EQ(form.ScaleGrid->rowCount(), 2);
    EXPECT_FALSE(form.LoadBtn->isEnabled());
    EXPECT_TRUE(b.WaitEnd()) << "the end command still goes";
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, Silence, ::testing::Bool());

TEST(ListExchange, AListLongerThanTheDialogCanHoldIsRefused)
{
    emu::InstrumentData d = emu::DefaultData();
    for (int i = 1; i <= 25; ++i) {
        auto s = emu::MakeScale(QStringLiteral("S%1").arg(i), QStringLiteral("u"), 0, {{0, 0}, {1, 1}});
        s.address = static_cast<std::uint8_t>(i + 1);
        d.scales.push_back(s);
    }
    for (bool english : {false, true}) {
        TransferBench b(d);
        English = english;
        TScaleListForm form;
        Update(form);
        ASSERT_NE(b.Last(), nullptr);
        EXPECT_EQ(b.Last()->text, QString::fromUtf8(english ? kReceiveEn : kReceiveRu));
        EXPECT_EQ(ScaleList.count, 0);
        EXPECT_EQ(form.ScaleGrid->rowCount(), 2);
        ASSERT_TRUE(b.WaitEnd());
        // All 26 entries and the closing status were read before the refusal.
        EXPECT_FALSE(b.Captions().contains(QStringLiteral("RS232")));

        ScaleRecord buffer{};
        b.dialogs.Clear();
        EXPECT_EQ(WriteScaleToInstrument(nullptr, b.stand.Path(), Sample(), buffer), ConnectionResult::Failed);
        EXPECT_EQ(b.Last()->text, QString::fromUtf8(english ? kReceiveEn : kReceiveRu));
    }
}

// ---------------------------------------------------------------------------

ScaleDocument DesignedScale(int decimals)
{
    ScaleDocument doc;
    const double pts[][2] = {{0, 0.5}, {20, 12.345}, {45, 30.1}, {80, 41.25}, {100, 60}};
    for (const auto &p : pts) {
        doc.PointX[doc.PointCount] = p[0];
        doc.PointY[doc.PointCount] = p[1];
        ++doc.PointCount;
    }
    doc.MinText = QStringLiteral("0");
    doc.MaxText = QStringLiteral("65");
    doc.StepText = QStringLiteral("1");
    doc.MaxErrText = QStringLiteral("0,001");
    doc.Intervals = true;
    doc.ScalePwrIndex = decimals;
    doc.YNameText = QStringLiteral("Rt");
    doc.UnitsText = QStringLiteral("kg");
    doc.XNameText = QStringLiteral("U");
    EXPECT_FALSE(doc.Recalculate().Failed());
    return doc;
}

class RoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(RoundTrip, WriteListLoadImportGivesTheSamePoints)
{
    const int decimals = GetParam();
    TransferBench b;
    const ScaleDocument designed = DesignedScale(decimals);
    const WritePreparation p = PrepareScaleWrite(designed);
    ASSERT_EQ(p.state, WritePreparation::Ready) << p.message.toStdString();
    ASSERT_GE(p.data.Count(), 2);
    ScaleRecord buffer{};
    ASSERT_EQ(WriteScaleToInstrument(nullptr, b.stand.Path(), p.data, buffer), ConnectionResult::Done);

    TScaleListForm form;
    Update(form);
    ASSERT_EQ(ScaleList.count, 5);
    EXPECT_EQ(CellAt(form.ScaleGrid, 5, 1), QStringLiteral("Rt      "));
    EXPECT_EQ(CellAt(form.ScaleGrid, 5, 2), QStringLiteral("kg  "));
    ScaleBuffer = {};
    Select(form, 5);
    form.LoadBtnClick();
    ASSERT_TRUE(ScaleLoaded);

    ScaleDocument loaded;
    ImportSteps steps;
    steps.tryClearAll = [] { return true; };
    steps.recalculate = [&] { EXPECT_FALSE(loaded.Recalculate().Failed()); };
    ASSERT_TRUE(ImportLoadedScale(loaded, steps));
    EXPECT_FALSE(ScaleLoaded);
    ASSERT_EQ(loaded.PointCount, p.data.Count());
    const double f = std::pow(10.0, decimals);
    for (int i = 0; i < loaded.PointCount; ++i) {
        EXPECT_EQ(loaded.PointX[i], p.data.x[static_cast<std::size_t>(i)]) << i;
        EXPECT_EQ(std::lround(loaded.PointY[i] * f), p.data.y[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(loaded.YNameText, QStringLiteral("Rt      "));
    EXPECT_EQ(loaded.UnitsText, QStringLiteral("kg  "));
    EXPECT_EQ(loaded.ScalePwrIndex, decimals);
    EXPECT_EQ(loaded.TableDecimals(), decimals);
    EXPECT_TRUE(loaded.Modified);

    // Written back, the points and decimals stay what they were.
    loaded.Intervals = true;
    loaded.MaxErrText = QStringLiteral("0");
    ASSERT_FALSE(loaded.Recalculate().Failed());
    const WritePreparation again = PrepareScaleWrite(loaded);
    ASSERT_EQ(again.state, WritePreparation::Ready);
    EXPECT_EQ(again.data.decimals, decimals);
    EXPECT_EQ(again.data.x.front(), p.data.x.front());
    EXPECT_EQ(again.data.y.front(), p.data.y.front());
    EXPECT_EQ(again.data.x.back(), p.data.x.back());
    EXPECT_EQ(again.data.y.back(), p.data.y.back());
}

INSTANTIATE_TEST_SUITE_P(Decimals, RoundTrip, ::testing::Values(0, 2, 3));

} // namespace
