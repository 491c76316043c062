// Reading the instrument's result files: the receive side, the happy road on
// the wire, cancelling and the port box.
#include "tests/results/read_test_util.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<std::uint8_t> Records(const std::vector<emu::MeasurementRecord> &recs)
{
    std::vector<std::uint8_t> b;
    for (const auto &r : recs)
        b.insert(b.end(), r.begin(), r.end());
    return b;
}

} // namespace

TEST(DeviceText, FromTheVersionReply)
{
    EXPECT_EQ(DeviceTextOf({0xC3, 0x66, 1, 2, 15}), QStringLiteral("Q5-M8 v.1.2.15"));
    EXPECT_EQ(DeviceTextOf({0xC3, 0x66, 0, 0, 0}), QStringLiteral("Q5-M8 v.0.0.0"));
    EXPECT_EQ(DeviceTextOf({0xC3, 0x66, 255, 128, 9}), QStringLiteral("Q5-M8 v.255.128.9"));
    EXPECT_EQ(DeviceTextOf({0x00, 0x66, 1, 2, 15}), QString());
    EXPECT_EQ(DeviceTextOf({0xC3, 0x00, 1, 2, 15}), QString());
}

TEST(ParseResultFile, TakesExactlyTheAnnouncedRecords)
{
    std::vector<emu::MeasurementRecord> recs;
    for (int i = 0; i < 17; ++i)
        recs.push_back(emu::MakeMeasurement(QString::number(i), QStringLiteral("S%1").arg(i)));
    auto bytes = Records(recs);
    // A record's worth of bytes after the announced ones must not be taken.
    auto spill = emu::MakeMeasurement(QStringLiteral("99"), QStringLiteral("Spill"));
    bytes.insert(bytes.end(), spill.begin(), spill.end());

    ReceivedFile f = ParseResultFile(17, bytes.data());
    EXPECT_EQ(f.announced, 17);
    ASSERT_EQ(f.values.size(), 17u);
    EXPECT_EQ(f.values[16].Str, QStringLiteral("   16"));
    EXPECT_EQ(f.values[16].Scale, QStringLiteral("S16     "));
    EXPECT_EQ(f.dropped, 0);

    EXPECT_TRUE(ParseResultFile(0, bytes.data()).values.empty());
}

TEST(ParseResultFile, SkipsOtherKindsAndKeepsTextsAsTheyCame)
{
    emu::MeasurementRecord other = emu::MakeMeasurement(QStringLiteral("1.0"), QStringLiteral("X"));
    other[0] = 0xC1;
    emu::MeasurementRecord raw{};
    raw[0] = 0xC0;
    const char text[] = {'1', '\0', '2', ' ', ' '};
    std::memcpy(&raw[1], text, 5);
    const unsigned char scale[] = {0xD2, 0xE5, 0xEC, 0xEF, 0, 0, ' ', ' '}; // "Темп" in Windows-1251
    std::memcpy(&raw[6], scale, 8);
    auto bytes = Records({other, raw, other});
    ReceivedFile f = ParseResultFile(3, bytes.data());
    ASSERT_EQ(f.values.size(), 1u);
    EXPECT_EQ(f.values[0].Str, QString::fromUtf8("1\0" "2  ", 5));
    EXPECT_EQ(f.values[0].Scale, QString::fromUtf8("Темп\0\0  ", 12));
}

TEST(ParseResultFile, KeepsAHundredValuesAndCountsTheRest)
{
    std::vector<emu::MeasurementRecord> recs;
    for (int i = 0; i < 255; ++i) {
        auto m = emu::MakeMeasurement(QString::number(i), QStringLiteral("S"));
        if (i % 50 == 7)
            m[0] = 0x00; // five records of another kind among them
        recs.push_back(m);
    }
    auto bytes = Records(recs);
    ReceivedFile f = ParseResultFile(255, bytes.data());
    ASSERT_EQ(f.values.size(), 100u);
    EXPECT_EQ(f.values[99].Str, QStringLiteral("  101")); // 7 and 57 skipped
    EXPECT_EQ(f.dropped, 250 - 100);
}

TEST(DroppedValuesReport, NamesTheFilesAndCountsInBothLanguages)
{
    std::vector<ReceivedFile> files(99);
    EXPECT_EQ(DroppedValuesReport(files), QString());
    files[2].dropped = 155;
    files[40].dropped = 1;
    {
        LangGuard lang(true);
        EXPECT_EQ(DroppedValuesReport(files),
                  QStringLiteral("The device sent more than 100 values in a file; the first 100 are kept, dropped: "
                                 "file 3 - 155, file 41 - 1."));
    }
    LangGuard lang(false);
    EXPECT_EQ(DroppedValuesReport(files),
              QStringLiteral("Прибор передал больше 100 значений в файле; сохранены первые 100, отброшено: "
                             "файл 3 - 155, файл 41 - 1."));
}

TEST(ReadInstrument, HappyReadPutsExactlyTheFrameOnTheWire)
{
    LangGuard lang(true);
    Stand stand(emu::LoadFixture(FullFixturePath()));
    RecordingDialogs dialogs;
    TProgressForm form;
    const auto start = Clock::now();
    InstrumentRead read = RunRead(dialogs, form, stand.Path());
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join(u'|').toStdString();
    EXPECT_EQ(read.connection, ConnectionResult::Done);
    ASSERT_TRUE(read.completed);
    EXPECT_TRUE(form.Completed);
    EXPECT_EQ(dialogs.formCount, 1);
    EXPECT_EQ(Hex(SentUntilEnd(stand)), Hex(FullReadBytes()));

    // No pause before any command: the start and the version go at once.
    const auto events = stand.instrument.Events();
    std::vector<Clock::time_point> sent;
    for (const auto &e : events)
        if (e.fromPc)
            sent.push_back(e.time);
    ASSERT_GE(sent.size(), 5u);
    EXPECT_LT(sent[0] - start, 80ms);
    EXPECT_LT(sent[1] - sent[0], 80ms); // 0x8B after the reply to 0x81
    EXPECT_LT(sent[2] - sent[1], 80ms); // the first file at once

    EXPECT_EQ(read.deviceText, QStringLiteral("Q5-M8 v.1.2.15"));
    EXPECT_EQ(form.DevNameLabel->text(), QStringLiteral("Q5-M8 v.1.2.15"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Get files 99 from 99"));
    EXPECT_EQ(form.ProgressBar->value(), 98);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Measurement results"));
    EXPECT_FALSE(form.StartTimer->isActive());
    ASSERT_EQ(read.files.size(), 99u);
    const emu::InstrumentData data = stand.instrument.Data();
    for (std::size_t i = 0; i < 99; ++i) {
        ASSERT_EQ(read.files[i].values.size(), 100u) << i;
        EXPECT_EQ(read.files[i].dropped, 0);
        for (std::size_t k = 0; k < 100; k += 33) {
            const auto &m = data.files[i][k];
            EXPECT_EQ(read.files[i].values[k].Str, QString::fromLatin1(reinterpret_cast<const char *>(&m[1]), 5));
            EXPECT_EQ(read.files[i].values[k].Scale, QString::fromLatin1(reinterpret_cast<const char *>(&m[6]), 8));
        }
    }
    EXPECT_EQ(read.files[42].values[0].Str, QStringLiteral("-----"));
    EXPECT_TRUE(read.droppedReport.isEmpty());
}

TEST(ReadInstrument, ASecondReadHasOnlyItsOwnRecords)
{
    Stand stand(SmallData(5));
    RecordingDialogs dialogs;
    TProgressForm form;
    InstrumentRead first = RunRead(dialogs, form, stand.Path());
    ASSERT_TRUE(first.completed);
    EXPECT_EQ(first.files[7].values.size(), 5u);

    emu::InstrumentData fewer = SmallData(2);
    fewer.files[7].clear();
    stand.instrument.SetData(fewer);
    InstrumentRead second = RunRead(dialogs, form, stand.Path());
    ASSERT_TRUE(second.completed);
    ASSERT_EQ(second.files.size(), 99u);
    EXPECT_EQ(second.files[0].values.size(), 2u);
    EXPECT_TRUE(second.files[7].values.empty());
    EXPECT_EQ(second.files[98].values[1].Str, QStringLiteral(" 98.1"));
    EXPECT_TRUE(dialogs.messages.empty());
}

// Cancel, Esc and the close box during the transfer.
struct CancelCase {
    const char *name;
    std::function<void(TProgressForm &)> act;
};

void PrintTo(const CancelCase &c, std::ostream *os) { *os << c.name; }

class ReadCancel : public ::testing::TestWithParam<std::tuple<CancelCase, bool>> {};

TEST_P(ReadCancel, EndsTheReadKeepsNothingAndSendsTheEndCommand)
{
    const auto &[c, english] = GetParam();
    LangGuard lang(english);
    Stand stand(SmallData(20));
    RecordingDialogs dialogs;
    TProgressForm form;
    InstrumentRead read = RunRead(dialogs, form, stand.Path(), c.act, 300ms);
    EXPECT_EQ(read.connection, ConnectionResult::Failed);
    EXPECT_FALSE(read.completed);
    EXPECT_FALSE(form.Completed);
    EXPECT_TRUE(read.files.empty());
    EXPECT_FALSE(form.StartTimer->isActive());
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              english ? QStringLiteral("User abort reading files!") : QStringLiteral("Чтение отменено пользователем!"));
    EXPECT_EQ(dialogs.messages[0].caption, english ? QStringLiteral("Q5-M8 results") : QStringLiteral("Результаты Q5-M8"));
    EXPECT_EQ(dialogs.messages[0].flags, ui::MbOk | ui::MbIconError);

    const emu::Bytes sent = SentUntilEnd(stand);
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(sent.back(), 0x84);
    const std::size_t requests = (sent.size() - 3) / 2;
    EXPECT_GT(requests, 1u);
    EXPECT_LT(requests, 99u);
    const emu::Bytes full = FullReadBytes();
    EXPECT_EQ(Hex(emu::Bytes(sent.begin(), sent.end() - 1)),
              Hex(emu::Bytes(full.begin(), full.begin() + 2 + 2 * static_cast<long>(requests))));

    // Nothing runs on after the dialog is gone.
    QTest::qWait(200);
    EXPECT_EQ(stand.instrument.Received().size(), sent.size());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ReadCancel,
    ::testing::Combine(::testing::Values(CancelCase{"Button", [](TProgressForm &f) { f.ProgressCancel->click(); }},
                                         CancelCase{"Esc", [](TProgressForm &f) { QTest::keyClick(&f, Qt::Key_Escape); }},
                                         CancelCase{"CloseBox", [](TProgressForm &f) { f.close(); }}),
                       ::testing::Bool()),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "English" : "Russian");
    });

TEST(ReadInstrument, AnEmptyPortBoxFailsInOpenWithNothingSent)
{
    LangGuard lang(true);
    Stand stand(SmallData());
    RecordingDialogs dialogs;
    TProgressForm form;
    InstrumentRead read = ReadInstrument(nullptr, QString(), form);
    EXPECT_EQ(read.connection, ConnectionResult::NotOpened);
    EXPECT_FALSE(read.completed);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("The port does not exist!")});
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("RS232"));
    EXPECT_EQ(dialogs.formCount, 0);
    QTest::qWait(100);
    EXPECT_TRUE(stand.instrument.Received().empty());
}

TEST(ReadInstrument, TheDeviceTextIsShownBeforeTheTransfer)
{
    Stand stand(SmallData(1));
    RecordingDialogs dialogs;
    TProgressForm form;
    QString shown;
    std::size_t requestsWhenShown = 99;
    dialogs.forms.push_back([](QDialog &d) { return d.exec(); });
    ReadInstrument(nullptr, stand.Path(), form, [&](const QString &text) {
        shown = text;
        requestsWhenShown = stand.instrument.Received().size();
    });
    EXPECT_EQ(shown, QStringLiteral("Q5-M8 v.1.2.15"));
    EXPECT_EQ(requestsWhenShown, 2u); // 0x81, 0x8B
}

TEST(ReadInstrument, TheProgressDialogOpensAtTheDesktopCentre)
{
    Stand stand(SmallData(1));
    RecordingDialogs dialogs;
    // The main window off the centre: the dialog does not follow it.
    QWidget owner;
    owner.setGeometry(470, 370, 300, 200);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    TProgressForm form(&owner);
    QRect frame;
    dialogs.forms.push_back([&](QDialog &d) {
        d.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
        frame = d.frameGeometry();
        d.reject(); // a Cancel
        return d.result();
    });
    ReadInstrument(nullptr, stand.Path(), form);
    ASSERT_EQ(dialogs.formCount, 1);
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(frame.center(), desktop.center());
    EXPECT_NE(owner.frameGeometry().center(), desktop.center());
}
