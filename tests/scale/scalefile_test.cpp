#include "tests/support/designer_locale.h"
#include "common/ini.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "common/win1251.h"
#include "scale/scalefile.h"
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

class ScaleFile : public DesignerLocaleTest {
protected:
    QString Path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    static void Put(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // A fixture written as UTF-8 text with LF ends, stored as the program's
    // files are: Windows-1251 with CR LF.
    static QByteArray FileBytes(const char *utf8)
    {
        QString text = QString::fromUtf8(utf8);
        text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        return cp1251::Encode(text);
    }
    static QByteArray Get(const QString &path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    static void SetPoints(ScaleDocument &doc, std::initializer_list<std::pair<double, double>> points)
    {
        doc.PointCount = 0;
        for (auto [x, y] : points) {
            doc.PointX[doc.PointCount] = x;
            doc.PointY[doc.PointCount] = y;
            ++doc.PointCount;
        }
    }
    // Loads a scale file made of the given "Scale" and "Points" lines.
    ScaleDocument LoadBody(const char *body)
    {
        QString p = Path("body.scl3");
        Put(p, FileBytes((std::string("[File]\nHandle=44455649434553205343414C45\n") + body).c_str()));
        ScaleDocument doc;
        EXPECT_TRUE(LoadScaleFile(p, doc).Loaded());
        return doc;
    }

    QTemporaryDir dir;
};

ScaleDocument Pressure()
{
    ScaleDocument doc;
    doc.AboutText = QString::fromUtf8("Шкала давления №1");
    doc.XNameText = QString::fromUtf8("Давление");
    doc.YNameText = QStringLiteral("kPa");
    doc.UnitsText = QString::fromUtf8("кПа");
    doc.ATypeIndex = 1;
    doc.PowerIndex = 2;
    doc.MinText = QStringLiteral("0");
    doc.MaxText = QStringLiteral("250,5");
    doc.StepText = QStringLiteral("0,5");
    doc.ScalePwrIndex = 1;
    doc.Intervals = true;
    doc.MaxErrText = QStringLiteral("0,25");
    return doc;
}

const char *const SavedPressure = "[File]\n"
                                  "Handle=44455649434553205343414C45\n"
                                  "\n"
                                  "[Scale]\n"
                                  "About=~Шкала давления №1\n"
                                  "XName=~Давление\n"
                                  "YName=~kPa\n"
                                  "Description=~кПа\n"
                                  "ApproType=1\n"
                                  "PolynomDegree=2\n"
                                  "TableMin=0\n"
                                  "TableMax=250,5\n"
                                  "TableStep=0,5\n"
                                  "TablePrecision=1\n"
                                  "MakeProgPoints=1\n"
                                  "ProgMaxError=0,25\n"
                                  "\n"
                                  "[Points]\n"
                                  "Count=3\n"
                                  "X0=12,5\n"
                                  "Y0=1\n"
                                  "X1=-3\n"
                                  "Y1=-0,125\n"
                                  "X2=1E20\n"
                                  "Y2=2,5E-7\n";

} // namespace

TEST_F(ScaleFile, SavedFileByteForByte)
{
    ScaleDocument doc = Pressure();
    SetPoints(doc, {{12.5, 1}, {-3, -0.125}, {1e20, 2.5e-7}});
    QString p = Path("pressure.scl3");
    SaveScaleFile(p, doc);
    const QByteArray bytes = Get(p);
    EXPECT_EQ(bytes, FileBytes(SavedPressure));
    EXPECT_TRUE(bytes.contains("\xD8\xEA\xE0\xEB\xE0")); // "Шкала" in Windows-1251
    EXPECT_FALSE(bytes.contains("\n\n"));                 // CR LF only

    ScaleDocument empty;
    empty.MaxErrText = QStringLiteral("2");
    QString e = Path("empty.scl3");
    SaveScaleFile(e, empty);
    EXPECT_TRUE(Get(e).endsWith("MakeProgPoints=0\r\nProgMaxError=2\r\n\r\n[Points]\r\nCount=0\r\n"));
}

TEST_F(ScaleFile, OpeningRestoresEverythingWithThePointsSorted)
{
    QString p = Path("pressure.scl3");
    Put(p, FileBytes(SavedPressure));
    ScaleDocument doc;
    doc.Modified = true;
    ScaleFileStatus status = LoadScaleFile(p, doc);
    ASSERT_TRUE(status.Loaded());
    EXPECT_EQ(status.Text(), "");
    ScaleDocument want = Pressure();
    EXPECT_EQ(doc.AboutText, want.AboutText);
    EXPECT_EQ(doc.XNameText, want.XNameText);
    EXPECT_EQ(doc.YNameText, want.YNameText);
    EXPECT_EQ(doc.UnitsText, want.UnitsText);
    EXPECT_EQ(doc.ATypeIndex, 1);
    EXPECT_EQ(doc.PowerIndex, 2);
    EXPECT_EQ(doc.MinText, "0");
    EXPECT_EQ(doc.MaxText, "250,5");
    EXPECT_EQ(doc.StepText, "0,5");
    EXPECT_EQ(doc.ScalePwrIndex, 1);
    EXPECT_TRUE(doc.Intervals);
    EXPECT_EQ(doc.MaxErrText, "0,25");
    ASSERT_EQ(doc.PointCount, 3);
    EXPECT_EQ(doc.PointX[0], -3.0);
    EXPECT_EQ(doc.PointY[0], -0.125);
    EXPECT_EQ(doc.PointX[1], 12.5);
    EXPECT_EQ(doc.PointY[1], 1.0);
    EXPECT_EQ(doc.PointX[2], 1e20);
    EXPECT_EQ(doc.PointY[2], 2.5e-7);
    EXPECT_TRUE(doc.Modified) << "the window clears it after recalculating";
}

TEST_F(ScaleFile, ASmallerSaveKeepsForeignLinesAndStalePoints)
{
    QString p = Path("ten.scl3");
    std::string old = "; kept by hand\n[File]\nHandle=old\nOwner=someone\n\n[Scale]\nAbout=~old\nColour=red\n\n"
                      "[Points]\nCount=10\n";
    for (int i = 0; i < 10; ++i)
        old += "X" + std::to_string(i) + "=" + std::to_string(100 + i) + "\nY" + std::to_string(i) + "=" +
               std::to_string(i) + "\n";
    old += "\n[Foreign]\nkey=value\n";
    Put(p, FileBytes(old.c_str()));

    ScaleDocument doc = Pressure();
    SetPoints(doc, {{1, 10}, {2, 20}, {3, 30}});
    SaveScaleFile(p, doc);
    const QString text = cp1251::Decode(Get(p));
    EXPECT_TRUE(text.startsWith(QStringLiteral("; kept by hand\r\n[File]\r\nHandle=44455649434553205343414C45\r\n"
                                               "Owner=someone\r\n\r\n[Scale]\r\nAbout=~")));
    EXPECT_TRUE(text.contains(QStringLiteral("Colour=red\r\nXName=~")));
    EXPECT_TRUE(text.contains(QStringLiteral("[Points]\r\nCount=3\r\nX0=1\r\nY0=10\r\nX1=2\r\nY1=20\r\nX2=3\r\nY2=30\r\n"
                                             "X3=103\r\nY3=3\r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("X9=109\r\nY9=9\r\n\r\n[Foreign]\r\nkey=value\r\n")));

    ScaleDocument back;
    ASSERT_TRUE(LoadScaleFile(p, back).Loaded());
    ASSERT_EQ(back.PointCount, 3);
    EXPECT_EQ(back.PointX[2], 3.0);
    EXPECT_EQ(back.PointY[2], 30.0);
}

// The largest and smallest doubles and denormals come back from the file as
// they were saved, in the same order: 15 digits would put the largest above
// the double range, where the reader takes 0 and re-sorts the points.
TEST_F(ScaleFile, ExtremeDoublesComeBack)
{
    using L = std::numeric_limits<double>;
    const std::vector<std::pair<double, double>> points = {
        {L::lowest(), L::max()},
        {-L::denorm_min(), L::lowest()},
        {L::denorm_min(), 1.5e-315},
        {L::min(), -L::denorm_min()},
        {1.0, L::min()},
        {std::nextafter(L::max(), 0.0), L::denorm_min()},
        {L::max(), std::nextafter(L::lowest(), 0.0)},
    };
    ScaleDocument doc = Pressure();
    doc.PointCount = 0;
    for (auto [x, y] : points) {
        doc.PointX[doc.PointCount] = x;
        doc.PointY[doc.PointCount++] = y;
    }
    const QString p = Path("extremes.scl3");
    SaveScaleFile(p, doc);
    const QByteArray bytes = Get(p);
    EXPECT_TRUE(bytes.contains("X0=-1,7976931348623157E308\r\nY0=1,7976931348623157E308\r\n")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("X2=4,94065645841247E-324\r\nY2=1,50000000019285E-315\r\n")) << bytes.constData();

    ScaleDocument back;
    ASSERT_TRUE(LoadScaleFile(p, back).Loaded());
    ASSERT_EQ(back.PointCount, int(points.size()));
    // Exact, but for the smallest normal double: it keeps the 15 digits of
    // the format.
    auto same = [](double read, double saved) {
        return saved == L::min() ? std::fabs(read - saved) <= saved * 1e-14 : read == saved;
    };
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_TRUE(same(back.PointX[i], doc.PointX[i])) << i << ": " << back.PointX[i];
        EXPECT_TRUE(same(back.PointY[i], doc.PointY[i])) << i << ": " << back.PointY[i];
    }
    // The loaded scale saves as it was loaded.
    SaveScaleFile(Path("again.scl3"), back);
    EXPECT_EQ(Get(Path("again.scl3")), bytes);
}

TEST_F(ScaleFile, PartsEdgeCases)
{
    struct Case {
        const char *name;
        const char *body;
        int count;
        std::vector<std::pair<double, double>> points;
    };
    const std::vector<Case> cases = {
        {"out of order", "[Points]\nCount=2\nX0=5\nY0=50\nX1=2\nY1=20\n", 2, {{2, 20}, {5, 50}}},
        {"equal x keep file order", "[Points]\nCount=4\nX0=3\nY0=1\nX1=1\nY1=2\nX2=3\nY2=3\nX3=1\nY3=4\n", 4,
         {{1, 2}, {1, 4}, {3, 1}, {3, 3}}},
        {"negative count", "[Points]\nCount=-3\nX0=1\nY0=1\nX1=2\nY1=2\nX2=3\nY2=3\nX3=4\nY3=4\n", 3,
         {{1, 1}, {2, 2}, {3, 3}}},
        {"missing points read as 0", "[Points]\nCount=5\nX0=1\nY0=1\nX1=2\nY1=2\nX2=3\nY2=3\n", 5,
         {{0, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {"bad values read as 0", "[Points]\nCount=3\nX0=1.5\nY0=inf\nX1=1e999\nY1=\nX2=-2,5\nY2=7\n", 3,
         {{-2.5, 7}, {0, 0}, {0, 0}}},
        {"no points section", "", 0, {}},
        {"count not a number", "[Points]\nCount=two\nX0=1\nY0=1\n", 0, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScaleDocument doc = LoadBody(c.body);
        ASSERT_EQ(doc.PointCount, c.count);
        for (size_t i = 0; i < c.points.size(); ++i) {
            EXPECT_EQ(doc.PointX[i], c.points[i].first) << i;
            EXPECT_EQ(doc.PointY[i], c.points[i].second) << i;
        }
    }

    // Counts beyond the fifty slots load indexes 0 .. 49 only, then sort.
    for (const char *count : {"75", "-75", "-2147483648", "2147483647"}) {
        SCOPED_TRACE(count);
        std::string body = std::string("[Points]\nCount=") + count + "\n";
        for (int i = 0; i < 80; ++i)
            body += "X" + std::to_string(i) + "=" + std::to_string(100 - i) + "\nY" + std::to_string(i) + "=" +
                    std::to_string(i) + "\n";
        ScaleDocument doc = LoadBody(body.c_str());
        ASSERT_EQ(doc.PointCount, 50);
        EXPECT_EQ(doc.PointX[0], 51.0);
        EXPECT_EQ(doc.PointY[0], 49.0);
        EXPECT_EQ(doc.PointX[49], 100.0);
    }
}

TEST_F(ScaleFile, TextsDropTheirFirstCharacterAndAreCutToTheirEdits)
{
    ScaleDocument doc = LoadBody("[Scale]\nAbout=Hello\nXName=~123456789012\nYName=~\nDescription=\n");
    EXPECT_EQ(doc.AboutText, "ello");
    EXPECT_EQ(doc.XNameText, "12345678");
    EXPECT_EQ(doc.YNameText, "");
    EXPECT_EQ(doc.UnitsText, "");

    // Limits count Windows-1251 characters: one byte each, Cyrillic too.
    const QString cyr200 = QString(200, QChar(0x0416));
    doc = LoadBody(("[Scale]\nAbout=~" + (cyr200 + QString::fromUtf8("ЯЯ")).toStdString() + "\nDescription=~кПа/с\n" +
                    "YName=~ДавлениеX\n")
                       .c_str());
    EXPECT_EQ(doc.AboutText, cyr200);
    EXPECT_EQ(doc.UnitsText, QString::fromUtf8("кПа/"));
    EXPECT_EQ(doc.YNameText, QString::fromUtf8("Давление"));

    // Missing keys take the defaults.
    doc = LoadBody("[Scale]\nApproType=x\nTablePrecision=\n");
    EXPECT_EQ(doc.ATypeIndex, 0);
    EXPECT_EQ(doc.PowerIndex, 0);
    EXPECT_EQ(doc.ScalePwrIndex, 0);
    EXPECT_FALSE(doc.Intervals);
    EXPECT_EQ(doc.MinText, "1");
    EXPECT_EQ(doc.MaxText, "100");
    EXPECT_EQ(doc.StepText, "1");
    EXPECT_EQ(doc.MaxErrText, "2");
    doc = LoadBody("[Scale]\nMakeProgPoints=-7\nPolynomDegree=12\n");
    EXPECT_TRUE(doc.Intervals);
    EXPECT_EQ(doc.PowerIndex, 12); // passed on unchecked; the document treats it as no degree
}

TEST_F(ScaleFile, RefusedFilesChangeNothingAndSayWhy)
{
    ScaleDocument doc = Pressure();
    SetPoints(doc, {{1, 2}});
    doc.Modified = true;
    const QString missing = Path("missing.scl3");
    const QString lower = Path("lower.scl3");
    Put(lower, FileBytes("[File]\nHandle=44455649434553205343414c45\n[Points]\nCount=2\n"));
    const QString noFile = Path("nofile.scl3");
    Put(noFile, FileBytes("[Scale]\nAbout=~x\n[Points]\nCount=2\n"));
    const QString padded = Path("padded.scl3");
    Put(padded, FileBytes("[File]\nHandle=44455649434553205343414C45x\n"));
    const QString folder = Path("folder.scl3");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.scl3"));

    struct Case {
        QString path;
        ScaleFileResult result;
        const char *russian;
        const char *english;
    };
    for (const Case &c : {Case{missing, ScaleFileResult::NotFound, " не найден !", " not found !"},
                          Case{folder, ScaleFileResult::NotFound, " не найден !", " not found !"},
                          Case{lower, ScaleFileResult::NoData, " не содержит данных!", " contains no data"},
                          Case{noFile, ScaleFileResult::NoData, " не содержит данных!", " contains no data"},
                          Case{padded, ScaleFileResult::NoData, " не содержит данных!", " contains no data"}}) {
        SCOPED_TRACE(c.path.toStdString());
        ScaleDocument loaded = doc;
        ScaleFileStatus s = LoadScaleFile(c.path, loaded);
        EXPECT_EQ(s.result, c.result);
        EXPECT_FALSE(s.Loaded());
        EXPECT_EQ(loaded.AboutText, doc.AboutText);
        EXPECT_EQ(loaded.PointCount, 1);
        EXPECT_EQ(loaded.PointX[0], 1.0);
        EXPECT_EQ(loaded.MaxText, "250,5");
        EXPECT_TRUE(loaded.Modified);
        EXPECT_EQ(s.Text(), QString::fromUtf8("Файл ") + c.path + QString::fromUtf8(c.russian));
        EXPECT_EQ(s.Caption(), QString::fromUtf8("Открыть"));
        English = true;
        EXPECT_EQ(s.Text(), "File " + c.path + c.english);
        EXPECT_EQ(s.Caption(), "Open");
        English = false;
    }
}

TEST_F(ScaleFile, LineBreaksInTextsNeverReachTheFile)
{
    ScaleDocument doc = Pressure();
    doc.AboutText = QString("one\r\ntwo") + QChar(0) + "three";
    doc.XNameText = QStringLiteral("a\nb");
    doc.YNameText = QString("x") + QChar(0);
    doc.MinText = QStringLiteral("1\r\n[Points]\r\nCount=50");
    QString p = Path("breaks.scl3");
    SaveScaleFile(p, doc);
    const QByteArray bytes = Get(p);
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n"));
    EXPECT_FALSE(bytes.contains('\0'));
    EXPECT_TRUE(bytes.contains("About=~one  two three\r\n"));
    ScaleDocument back;
    ASSERT_TRUE(LoadScaleFile(p, back).Loaded());
    EXPECT_EQ(back.AboutText, "one  two three");
    EXPECT_EQ(back.XNameText, "a b");
    EXPECT_EQ(back.YNameText, "x");
    EXPECT_EQ(back.MinText, "1  [Points]  Count=50");
    EXPECT_EQ(back.PointCount, 0);
}

TEST_F(ScaleFile, AFailedSaveThrowsAndKeepsTheOldFile)
{
    QString p = Path("keep.scl3");
    const QByteArray old = FileBytes(SavedPressure);
    Put(p, old);
    ScaleDocument doc = Pressure();
    const QString under = p + "/inner.scl3";
    try {
        SaveScaleFile(under, doc);
        FAIL() << "saved below a regular file";
    } catch (const EIniFileException &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + under.toStdString());
    }
    EXPECT_EQ(Get(p), old);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.scl3"));
    EXPECT_THROW(SaveScaleFile(Path("folder.scl3"), doc), EIniFileException);
}

TEST_F(ScaleFile, EditTextsAreCheckedAsTheFileWillHoldThem)
{
    struct Case {
        QString text;
        int limit;
        bool ok;
    };
    const Case cases[] = {
        {QString(), 8, true},
        {QString::fromUtf8("Давление"), 8, true},     // eight Cyrillic letters: eight bytes
        {QString::fromUtf8("ДавлениеX"), 8, false},
        {QString::fromUtf8("№ €‰ ±µ"), 8, true},     // symbols of the code page
        {QString::fromUtf8("кПа"), 4, true},
        {QString::fromUtf8("°C²"), 4, false},         // '²' is not in the code page
        {QString::fromUtf8("日本"), 200, false},
        {QString::fromUtf8("a😀"), 200, false},       // a character outside the BMP
        {QStringLiteral("a\nb"), 200, false},
        {QStringLiteral("a\rb"), 200, false},
        {QString("a") + QChar(0), 200, false},
        {QStringLiteral("tab\tok"), 200, true},
        {QString(200, u'x'), 200, true},
        {QString(201, u'x'), 200, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(AcceptableEditText(c.text, c.limit), c.ok) << c.text.toStdString();
}

// Thousands of damaged scale files: the reader never crashes or overruns and
// always leaves a document within its limits.
TEST_F(ScaleFile, MutatedFilesNeverBreakTheReader)
{
    std::string seedText = SavedPressure;
    seedText += "X3=7\nY3=8\nX49=1\nY49=2\n";
    const QByteArray seed = FileBytes(seedText.c_str());
    const char *const tokens[] = {"Count=-2147483648", "Count=2147483647", "Count=-51", "\r\n[Points]\r\n",
                                  "[File]\r\nHandle=44455649434553205343414C45\r\n", "X4294967296=1",
                                  "=", "[", "]", "~", "\"", "X-1=5", "1E308", "-1E309", "0,000", "\xFF\xFE\x00"};
    std::mt19937 rng(20261210);
    const QString p = Path("fuzz.scl3");
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = seed;
        const int edits = 1 + int(rng() % 8);
        for (int e = 0; e < edits; ++e) {
            const qsizetype at = bytes.isEmpty() ? 0 : qsizetype(rng() % quint32(bytes.size()));
            switch (rng() % 7) {
            case 0: // flip a byte
                if (!bytes.isEmpty())
                    bytes[at] = char(rng());
                break;
            case 1: // insert random bytes, line breaks and NULs among them
                for (int k = int(rng() % 6); k >= 0; --k)
                    bytes.insert(at, char("\r\n\0=[]~"[rng() % 7] ^ (rng() % 3 == 0 ? char(rng()) : 0)));
                break;
            case 2: // truncate
                bytes.truncate(at);
                break;
            case 3: // drop a stretch
                bytes.remove(at, qsizetype(rng() % 40));
                break;
            case 4: { // a token of the format, or one that stretches it
                const char *t = tokens[rng() % std::size(tokens)];
                bytes.insert(at, QByteArray(t, qsizetype(std::strlen(t) + (t[0] == '\xFF' ? 1 : 0))));
                break;
            }
            case 5: // an over-long value
                bytes.insert(at, QByteArray(qsizetype(rng() % 5000), char('0' + rng() % 10)));
                break;
            case 6: // duplicate a stretch
                bytes.insert(at, bytes.mid(qsizetype(rng() % quint32(bytes.size() + 1)), qsizetype(rng() % 200)));
                break;
            }
        }
        Put(p, bytes);
        ScaleDocument doc;
        ScaleFileStatus s = LoadScaleFile(p, doc);
        ASSERT_TRUE(s.result == ScaleFileResult::Loaded || s.result == ScaleFileResult::NoData);
        if (!s.Loaded()) {
            EXPECT_EQ(doc.PointCount, 0);
            continue;
        }
        ++loaded;
        ASSERT_GE(doc.PointCount, 0);
        ASSERT_LE(doc.PointCount, MaxPoints);
        for (int i = 0; i + 1 < doc.PointCount; ++i)
            ASSERT_LE(doc.PointX[i], doc.PointX[i + 1]);
        for (int i = 0; i < doc.PointCount; ++i)
            ASSERT_TRUE(std::isfinite(doc.PointX[i]) && std::isfinite(doc.PointY[i]));
        ASSERT_LE(doc.AboutText.size(), MaxAboutLength);
        ASSERT_LE(doc.XNameText.size(), MaxNameLength);
        ASSERT_LE(doc.YNameText.size(), MaxNameLength);
        ASSERT_LE(doc.UnitsText.size(), MaxUnitsLength);
        for (const QString *t : {&doc.AboutText, &doc.XNameText, &doc.YNameText, &doc.UnitsText, &doc.MinText})
            ASSERT_FALSE(t->contains(QChar(0)) || t->contains(u'\r') || t->contains(u'\n'));
        // What was loaded saves and loads back the same.
        if (round % 10 == 0) {
            const QString q = Path("again.scl3");
            QFile::remove(q);
            SaveScaleFile(q, doc);
            ScaleDocument again;
            ASSERT_TRUE(LoadScaleFile(q, again).Loaded());
            EXPECT_EQ(again.AboutText, doc.AboutText);
            EXPECT_EQ(again.XNameText, doc.XNameText);
            EXPECT_EQ(again.MinText, doc.MinText);
            EXPECT_EQ(again.PointCount, doc.PointCount);
        }
        doc.Recalculate(); // what the window does next
    }
    EXPECT_GT(loaded, 300) << "too few mutations kept the signature to reach the reader";
}

TEST_F(ScaleFile, AHugeFileIsReadOnlyInPart)
{
    QString p = Path("huge.scl3");
    {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(FileBytes(SavedPressure));
        QByteArray line(1 << 20, 'z');
        line += "\r\n";
        for (int i = 0; i < 17; ++i)
            f.write(line);
    }
    const qint64 size = QFileInfo(p).size();
    ScaleDocument doc;
    ASSERT_TRUE(LoadScaleFile(p, doc).Loaded());
    EXPECT_EQ(doc.PointCount, 3);
    EXPECT_THROW(SaveScaleFile(p, doc), EIniFileException);
    EXPECT_EQ(QFileInfo(p).size(), size);
}
