#include "common/cformat.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "scale/scaledocument.h"
#include "tests/common/odd_paths.h"
#include "tests/support/recording_dialogs.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>
#include <random>

namespace {

class ScaleDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        numtext::SetDecimalSeparator(',');
        English = false;
    }
    void TearDown() override { English = false; }

    void SetPoints(std::initializer_list<std::pair<double, double>> points)
    {
        doc.PointCount = 0;
        for (auto [x, y] : points) {
            doc.PointX[doc.PointCount] = x;
            doc.PointY[doc.PointCount] = y;
            ++doc.PointCount;
        }
    }
    // y = 1 + x^2 at x = 0 .. 3, fitted at degree 2.
    void SetParabola()
    {
        SetPoints({{0, 1}, {1, 2}, {2, 5}, {3, 10}});
        doc.ATypeIndex = 1;
        doc.PowerIndex = 1;
    }
    void SetRange(const char *min, const char *max, const char *step, const char *maxErr = "1")
    {
        doc.MinText = QString::fromUtf8(min);
        doc.MaxText = QString::fromUtf8(max);
        doc.StepText = QString::fromUtf8(step);
        doc.MaxErrText = QString::fromUtf8(maxErr);
    }
    RecalcReport Run()
    {
        RecalcReport r = doc.Recalculate();
        EXPECT_TRUE(dialogs.messages.empty()) << "the document never shows a box itself";
        EXPECT_EQ(doc.TableCount, static_cast<int>(doc.TableX.size()));
        EXPECT_EQ(doc.TableCount, static_cast<int>(doc.TableY.size()));
        return r;
    }

    RecordingDialogs dialogs;
    ScaleDocument doc;
};

TEST_F(ScaleDocumentTest, StartsEmptyWithTheDefaultGraphRange)
{
    EXPECT_EQ(doc.PointCount, 0);
    EXPECT_EQ(doc.TableCount, 0);
    EXPECT_EQ(doc.ProgCount, 0);
    EXPECT_EQ(doc.GraphXMax, 100.0);
    EXPECT_EQ(doc.GraphYMax, 100.0);
    EXPECT_FALSE(doc.Modified);
}

TEST_F(ScaleDocumentTest, SearchStopsOnValuesEqualToTheBounds)
{
    SetPoints({{10, 10}, {20, 20}});
    SetRange("1", "100", "1");
    EXPECT_FALSE(Run().Failed());
    ASSERT_EQ(doc.TableCount, 100);
    EXPECT_EQ(doc.TableX.front(), 1.0);
    EXPECT_EQ(doc.TableX.back(), 100.0);
    EXPECT_EQ(TableRowText(doc.TableX.front(), doc.TableY.front(), doc.TableDecimals()), QStringLiteral("    1  1"));
    EXPECT_EQ(TableRowText(doc.TableX.back(), doc.TableY.back(), doc.TableDecimals()), QStringLiteral("  100  100"));
    EXPECT_EQ(doc.TableXMin, 1.0);
    EXPECT_EQ(doc.TableXMax, 100.0);
    EXPECT_EQ(doc.TableYMin, 1.0);
    EXPECT_EQ(doc.TableYMax, 100.0);
    EXPECT_EQ(doc.ProgCount, 0) << "programming points only when asked for";
}

TEST_F(ScaleDocumentTest, SearchRunsOutOfItsRepetitions)
{
    SetPoints({{10, 10}, {20, 20}});
    SetRange("1", "1000", "1");
    Run();
    ASSERT_EQ(doc.TableCount, 120);
    EXPECT_EQ(doc.TableX.front(), 1.0);
    EXPECT_EQ(doc.TableX.back(), 120.0);
}

TEST_F(ScaleDocumentTest, SquaresAndTheirProgrammingPoints)
{
    SetPoints({{0, 0}, {1, 1}, {2, 4}, {3, 9}, {4, 16}});
    SetRange("0", "16", "1", "1");
    doc.Intervals = true;
    Run();
    ASSERT_EQ(doc.TableCount, 5);
    const double values[] = {0, 1, 4, 9, 16};
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(doc.TableX[r], r);
        EXPECT_EQ(doc.TableY[r], values[r]);
    }
    ASSERT_EQ(doc.ProgCount, 3);
    EXPECT_EQ(doc.ProgX[0], 0.0);
    EXPECT_EQ(doc.ProgX[1], 2.0);
    EXPECT_EQ(doc.ProgX[2], 4.0);
    EXPECT_EQ(doc.ProgY[1], 4.0);
    EXPECT_EQ(doc.ProgY[2], 16.0);
}

TEST_F(ScaleDocumentTest, StraightTableReducesToItsEnds)
{
    SetPoints({{0, 0}, {50, 100}});
    SetRange("-1000", "1000", "0,5", "0,01");
    doc.Intervals = true;
    Run();
    ASSERT_GT(doc.TableCount, 2);
    ASSERT_EQ(doc.ProgCount, 2);
    EXPECT_EQ(doc.ProgX[0], doc.TableX.front());
    EXPECT_EQ(doc.ProgX[1], doc.TableX.back());
}

TEST_F(ScaleDocumentTest, OnePointClearsSilentlyWhateverTheEdits)
{
    SetPoints({{0, 0}, {1, 1}});
    SetRange("0", "1", "1");
    doc.Intervals = true;
    Run();
    ASSERT_GT(doc.TableCount, 0);
    SetPoints({{3, 3}});
    SetRange("abc", "", "x", "?");
    RecalcReport r = Run();
    EXPECT_FALSE(r.Failed());
    EXPECT_EQ(doc.TableCount, 0);
    EXPECT_TRUE(doc.TableX.empty());
    EXPECT_EQ(doc.ProgCount, 0);
}

struct FieldCase {
    const char *name;
    const char *min, *max, *step, *maxErr;
    ScaleField field;
    double stored; // the failing member afterwards (-99: unchanged)
    const char *ru, *en, *captionRu, *captionEn;
};

void PrintTo(const FieldCase &c, std::ostream *os) { *os << c.name; }

class FieldFailureTest : public ScaleDocumentTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(FieldFailureTest, ReportsTheFieldInBothLanguagesAndLeavesNoTable)
{
    const FieldCase &c = GetParam();
    for (bool english : {false, true}) {
        English = english;
        ScaleDocument fresh;
        doc = fresh;
        doc.TableMin = doc.TableMax = doc.TableStep = doc.MaxDeviation = -99.0;
        SetPoints({{0, 0}, {10, 10}});
        SetRange(c.min, c.max, c.step, c.maxErr);
        doc.Intervals = false; // the deviation is parsed all the same
        RecalcReport r = Run();
        EXPECT_EQ(r.field, c.field);
        EXPECT_EQ(r.fieldMessage, QString::fromUtf8(english ? c.en : c.ru));
        EXPECT_EQ(r.fieldCaption, QString::fromUtf8(english ? c.captionEn : c.captionRu));
        EXPECT_TRUE(r.fitMessages.isEmpty());
        EXPECT_EQ(doc.TableCount, 0);
        // Values before the failing one are stored; the failing one keeps its
        // old value unless it parsed and was then refused.
        const double member = c.field == ScaleField::MinEdit    ? doc.TableMin
                              : c.field == ScaleField::MaxEdit  ? doc.TableMax
                              : c.field == ScaleField::StepEdit ? doc.TableStep
                                                                : doc.MaxDeviation;
        EXPECT_EQ(member, c.stored);
        if (c.field != ScaleField::MinEdit) {
            EXPECT_EQ(doc.TableMin, 0.0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Recalc, FieldFailureTest,
    ::testing::Values(
        FieldCase{"Min", "1.5", "10", "1", "1", ScaleField::MinEdit, -99.0, "Недопустимое значение начала диапазона !",
                  "Invalid range start value", "Таблица", "Table"},
        FieldCase{"Max", "0", "", "1", "1", ScaleField::MaxEdit, -99.0, "Недопустимое значение окончания диапазона !",
                  "Invalid range end value", "Таблица", "Table"},
        FieldCase{"Step", "0", "10", "1e", "1", ScaleField::StepEdit, -99.0, "Недопустимое значение шага таблицы !",
                  "Invalid value of table step", "Таблица", "Table"},
        FieldCase{"StepTooSmall", "0", "10", "0,0005", "1", ScaleField::StepEdit, 0.0005,
                  "Недопустимое значение шага таблицы !", "Invalid value of table step", "Таблица", "Table"},
        FieldCase{"StepNegative", "0", "10", "-1", "1", ScaleField::StepEdit, -1.0, "Недопустимое значение шага таблицы !",
                  "Invalid value of table step", "Таблица", "Table"},
        FieldCase{"MaxErr", "0", "10", "1", "inf", ScaleField::MaxErrEdit, -99.0,
                  "Недопустимое значение максимального отклонения !", "Invalid value max deviation !", "Интервалы",
                  "Intervals"},
        FieldCase{"MaxErrNegative", "0", "10", "1", "-0,5", ScaleField::MaxErrEdit, -0.5,
                  "Недопустимое значение максимального отклонения !", "Invalid value max deviation !", "Интервалы",
                  "Intervals"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ScaleDocumentTest, TooSmallStepStaysStored)
{
    SetPoints({{0, 0}, {10, 10}});
    SetRange("0", "10", "0,0005");
    RecalcReport r = Run();
    EXPECT_EQ(r.field, ScaleField::StepEdit);
    EXPECT_EQ(doc.TableStep, 0.0005);
}

TEST_F(ScaleDocumentTest, TableBeyondTheRowLimitIsRefusedAsABadStep)
{
    // The points alone span 10^8 rows.
    SetPoints({{0, 0}, {100000, 100000}});
    SetRange("-1", "200000", "0,001");
    EXPECT_EQ(Run().field, ScaleField::StepEdit);
    EXPECT_EQ(doc.TableCount, 0);
    // Just under the limit between the points; the searches push it over.
    SetPoints({{0, 0}, {9999.9, 9999.9}});
    SetRange("-1e9", "1e9", "0,001");
    EXPECT_EQ(Run().field, ScaleField::StepEdit);
    EXPECT_EQ(doc.TableCount, 0);
}

TEST_F(ScaleDocumentTest, RowCountKeepsTheLastRowDespiteSteppedRounding)
{
    // The lower end, stepped down 100 times by 0.1, lands just above -10;
    // truncating (u - w) / s would drop the row at 0.9.
    SetPoints({{0, 0}, {1, 1}});
    SetRange("-11,1", "0,41", "0,1");
    Run();
    ASSERT_EQ(doc.TableCount, 110);
    EXPECT_NEAR(doc.TableX.front(), -10.0, 1e-9);
    EXPECT_NEAR(doc.TableX.back(), 0.9, 1e-9);
}

TEST_F(ScaleDocumentTest, NonFiniteEndsAreRefused)
{
    // x / step overflows: no grid to tabulate on.
    SetPoints({{-1e308, 0}, {1e308, 1}});
    SetRange("-1", "2", "0,001");
    EXPECT_EQ(Run().field, ScaleField::StepEdit);
    EXPECT_EQ(doc.TableCount, 0);
    // A step too fine for the magnitude of x would not move x at all.
    SetPoints({{1e13, 0}, {1e13 + 1, 1}});
    SetRange("-1", "2", "0,001");
    EXPECT_EQ(Run().field, ScaleField::StepEdit);
}

// A polynomial that overflows far out must not put NaN into the table.
TEST_F(ScaleDocumentTest, NonFiniteValuesAreRefused)
{
    SetPoints({{0, 0}, {1, 1}, {2, 4}});
    doc.ATypeIndex = 1;
    doc.PowerIndex = 1;
    SetRange("-1e300", "1e300", "1e300");
    EXPECT_EQ(Run().field, ScaleField::StepEdit);
    EXPECT_EQ(doc.TableCount, 0);
    EXPECT_TRUE(doc.TableY.empty());
}

TEST_F(ScaleDocumentTest, ExtremesSurviveARecalculationWithoutRows)
{
    SetPoints({{10, 10}, {20, 20}});
    SetRange("1", "100", "1");
    Run();
    SetRange("1", "100", "0");
    EXPECT_EQ(Run().field, ScaleField::StepEdit);
    EXPECT_EQ(doc.TableXMin, 1.0);
    EXPECT_EQ(doc.TableXMax, 100.0);
    EXPECT_EQ(doc.TableYMax, 100.0);
}

TEST_F(ScaleDocumentTest, ZeroDeviationBreaksAtEveryCurvedRow)
{
    SetPoints({{0, 0}, {1, 1}, {2, 4}, {3, 9}, {4, 16}});
    SetRange("0", "16", "1", "0");
    doc.Intervals = true;
    EXPECT_FALSE(Run().Failed());
    ASSERT_EQ(doc.ProgCount, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(doc.ProgX[i], i);

    SetPoints({{0, 0}, {4, 8}});
    SetRange("0", "8", "1", "0");
    Run();
    ASSERT_EQ(doc.ProgCount, 2);
    EXPECT_EQ(doc.ProgX[1], 4.0);
}

TEST_F(ScaleDocumentTest, ReversedBoundsStepInwardOnce)
{
    SetPoints({{0.5, 0}, {0.7, 1}});
    SetRange("10", "0", "1");
    EXPECT_FALSE(Run().Failed());
    EXPECT_EQ(doc.TableCount, 0);
}

TEST_F(ScaleDocumentTest, RowTextsFollowTheDecimals)
{
    EXPECT_EQ(TableRowText(12, 3.456, 2), QStringLiteral("   12  3.46"));
    EXPECT_EQ(TableRowText(12, 3.456, 1), QStringLiteral("   12  3.5"));
    EXPECT_EQ(TableRowText(12, 3.456, 0), QStringLiteral("   12  3"));
    EXPECT_EQ(TableRowText(-123456, -0.5, 0), QStringLiteral("-123456  -0"));

    SetPoints({{10, 10}, {20, 20}});
    SetRange("11,5", "13", "1");
    for (int index : {-1, 0, 1, 2, 3, 20}) {
        doc.ScalePwrIndex = index;
        Run();
        // Both searches stop at once and step back inside: rows 11 .. 19.
        ASSERT_EQ(doc.TableCount, 9);
        const char *expected = index == 1   ? "   12  12.0"
                               : index == 2 ? "   12  12.00"
                               : index == 3 ? "   12  12.000"
                                            : "   12  12";
        EXPECT_EQ(TableRowText(doc.TableX[1], doc.TableY[1], doc.TableDecimals()), QString::fromLatin1(expected))
            << index;
    }
}

TEST_F(ScaleDocumentTest, RowTextsAreThoseOfPrintf)
{
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> mag(-8.0, 8.0), unit(-1.0, 1.0);
    for (int i = 0; i < 20000; ++i) {
        double x = unit(rng) * std::pow(10.0, mag(rng) / 2 + 2), v = unit(rng) * std::pow(10.0, mag(rng));
        if (i % 7 == 0)
            v = std::round(v * 200.0) / 200.0; // halfway cases at 2 decimals
        if (i % 11 == 0)
            x = std::round(x) + 0.5;
        EXPECT_EQ(TableRowText(x, v, 0), QCFormat("%5.0f  %.0f", x, v));
        EXPECT_EQ(TableRowText(x, v, 1), QCFormat("%5.0f  %.1f", x, v));
        EXPECT_EQ(TableRowText(x, v, 2), QCFormat("%5.0f  %.2f", x, v));
    }
}

TEST_F(ScaleDocumentTest, TwoPointsAtOneXGiveTheBounds)
{
    SetPoints({{5, 1}, {5, 2}});
    SetRange("0", "10", "1");
    Run();
    ASSERT_EQ(doc.TableCount, 1);
    EXPECT_EQ(doc.TableY[0], 10.0);

    SetPoints({{5, 2}, {5, 1}});
    SetRange("0", "10", "2");
    Run();
    ASSERT_EQ(doc.TableCount, 2);
    EXPECT_EQ(doc.TableX[0], 4.0);
    EXPECT_EQ(doc.TableX[1], 6.0);
    EXPECT_EQ(doc.TableY[0], 0.0);
    EXPECT_EQ(doc.TableY[1], 0.0);
}

TEST_F(ScaleDocumentTest, VerticalSegmentBetweenOthersIsNeverUsed)
{
    SetPoints({{0, 0}, {5, 5}, {5, 50}, {10, 55}});
    doc.TableMin = -1234.0;
    doc.TableMax = 1234.0;
    EXPECT_EQ(doc.Approximate(-1.0), -1.0);
    EXPECT_EQ(doc.Approximate(4.0), 4.0);
    EXPECT_EQ(doc.Approximate(5.0), 50.0);
    EXPECT_EQ(doc.Approximate(7.0), 52.0);
    EXPECT_EQ(doc.Approximate(12.0), 57.0);
}

TEST_F(ScaleDocumentTest, PiecewiseExtrapolatesTheEndSegments)
{
    SetPoints({{0, 0}, {1, 10}, {2, 30}});
    EXPECT_EQ(doc.Approximate(-1.0), -10.0);
    EXPECT_EQ(doc.Approximate(3.0), 50.0);
    EXPECT_EQ(doc.Approximate(1.0), 10.0);
}

QString ReadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(f.readAll());
}

TEST_F(ScaleDocumentTest, PolynomialWritesItsCoefficients)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    doc.CoefDirectory = dir.path();
    SetPoints({{0, 0}, {1, 1}});
    SetRange("0", "5", "1");
    doc.ATypeIndex = 1;
    doc.PowerIndex = 0;
    RecalcReport r = Run();
    EXPECT_FALSE(r.Failed());
    EXPECT_TRUE(r.coefWritten);
    EXPECT_EQ(doc.Degree, 1);
    EXPECT_EQ(doc.Coef[0], 0.0);
    EXPECT_EQ(doc.Coef[1], 1.0);
    EXPECT_EQ(ReadFile(dir.filePath("scale.pol")), QStringLiteral("1\n        0.0000000000\n        1.0000000000\n"));
    ASSERT_EQ(doc.TableCount, 6);
    EXPECT_EQ(doc.TableY[5], 5.0);
}

TEST_F(ScaleDocumentTest, NoDegreeSelectedFitsTheMean)
{
    for (int index : {-1, 9, 20}) {
        QTemporaryDir dir;
        doc.CoefDirectory = dir.path();
        SetPoints({{0, 1}, {1, 2}, {2, 6}});
        SetRange("0", "10", "1");
        doc.ATypeIndex = 1;
        doc.PowerIndex = index;
        RecalcReport r = Run();
        EXPECT_FALSE(r.Failed());
        EXPECT_EQ(doc.Degree, 0);
        EXPECT_EQ(doc.Coef[0], 3.0);
        EXPECT_EQ(ReadFile(dir.filePath("scale.pol")), QStringLiteral("0\n        3.0000000000\n"));
        for (double y : doc.TableY)
            EXPECT_EQ(y, 3.0);
    }
}

TEST_F(ScaleDocumentTest, FewerPointsThanTheDegreeStopsSilently)
{
    QTemporaryDir dir;
    doc.CoefDirectory = dir.path();
    SetPoints({{0, 0}, {1, 1}});
    SetRange("0", "10", "1");
    doc.ATypeIndex = 1;
    doc.PowerIndex = 2;
    RecalcReport r = Run();
    EXPECT_FALSE(r.Failed());
    EXPECT_EQ(doc.Degree, 3);
    EXPECT_EQ(doc.TableCount, 0);
    EXPECT_FALSE(QFile::exists(dir.filePath("scale.pol")));
}

TEST_F(ScaleDocumentTest, FailedFitReportsBothMessagesInOrder)
{
    for (bool english : {false, true}) {
        English = english;
        QTemporaryDir dir;
        doc.CoefDirectory = dir.path();
        doc.Coef[0] = 11.0;
        doc.Coef[1] = 12.0;
        // Two points at one x, degree 1; then as many points as the degree.
        for (auto points : {std::vector<std::pair<double, double>>{{3, 0}, {3, 1}},
                            std::vector<std::pair<double, double>>{{1, 0}, {2, 1}}}) {
            doc.PointCount = 0;
            for (auto [x, y] : points) {
                doc.PointX[doc.PointCount] = x;
                doc.PointY[doc.PointCount++] = y;
            }
            doc.PowerIndex = points[0].first == 3 ? 0 : 1;
            SetRange("0", "10", "1");
            doc.ATypeIndex = 1;
            doc.Intervals = true;
            RecalcReport r = Run();
            ASSERT_EQ(r.fitMessages.size(), 2);
            EXPECT_EQ(r.fitMessages[0], QStringLiteral("Gaus Error : 2"));
            EXPECT_EQ(r.fitMessages[1], english ? QStringLiteral("Error in solving the equation")
                                                : QStringLiteral("Ошибка при решении уравнени МНК !"));
            EXPECT_EQ(r.field, ScaleField::None);
            EXPECT_EQ(doc.TableCount, 0);
            EXPECT_EQ(doc.ProgCount, 0);
            EXPECT_EQ(doc.Coef[0], 11.0);
            EXPECT_EQ(doc.Coef[1], 12.0);
            EXPECT_FALSE(QFile::exists(dir.filePath("scale.pol")));
        }
    }
}

TEST_F(ScaleDocumentTest, UnwritableCoefficientFileIsSkipped)
{
    doc.CoefDirectory = QStringLiteral("/nonexistent/dir/for/scale");
    SetPoints({{0, 0}, {1, 1}, {2, 4}});
    SetRange("0", "10", "1");
    doc.ATypeIndex = 1;
    doc.PowerIndex = 1;
    RecalcReport r = Run();
    EXPECT_FALSE(r.Failed());
    EXPECT_FALSE(r.coefWritten);
    EXPECT_TRUE(r.coefPath.isEmpty());
    EXPECT_GT(doc.TableCount, 0);
}

// The parabola's coefficients 1, 0 and 1.
constexpr const char *ParabolaCoefText = "2\n        1.0000000000\n        0.0000000000\n        1.0000000000\n";

TEST_F(ScaleDocumentTest, ParabolaCoefficientFileByteForByte)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    doc.CoefDirectory = dir.path();
    SetParabola();
    SetRange("0", "20", "1");
    RecalcReport r = Run();
    EXPECT_FALSE(r.Failed());
    EXPECT_EQ(r.coefPath, dir.filePath("scale.pol"));
    QFile f(dir.filePath("scale.pol"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray(ParabolaCoefText));
}

TEST(CoefFileText, ZeroHasNoSign)
{
    const double coef[] = {-0.0, -1e-12, -4e-11, -1e-10, 2.5, -123.45678901234};
    EXPECT_EQ(CoefFileText(5, coef), std::string("5\n"
                                                 "        0.0000000000\n"
                                                 "        0.0000000000\n"
                                                 "        0.0000000000\n"
                                                 "       -0.0000000001\n"
                                                 "        2.5000000000\n"
                                                 "     -123.4567890123\n"));
}

TEST_F(ScaleDocumentTest, CoefficientsGoToTheUserFolderWhereTheProgramFolderTakesNone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A regular file where the program's folder should be: nothing can be
    // written inside it, whoever runs the test.
    const QString programDir = dir.filePath("bin");
    {
        QFile f(programDir);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString userDir = dir.filePath("share/Scale");
    doc.CoefDirectory = programDir;
    doc.CoefUserDirectory = userDir;
    SetParabola();
    SetRange("0", "20", "1");
    RecalcReport r = Run();
    EXPECT_FALSE(r.Failed());
    EXPECT_TRUE(r.coefWritten);
    EXPECT_EQ(r.coefPath, QDir(userDir).filePath("scale.pol")) << "the user's folder, created";
    QFile f(r.coefPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray(ParabolaCoefText));
    EXPECT_GT(doc.TableCount, 0);

    // Where the program's folder takes the file, the user's is left alone.
    QTemporaryDir program;
    doc.CoefDirectory = program.path();
    doc.CoefUserDirectory = dir.filePath("unused");
    r = Run();
    EXPECT_EQ(r.coefPath, program.filePath("scale.pol"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("unused")));

    // Neither takes it: no file, and the table as ever.
    doc.CoefDirectory = programDir;
    doc.CoefUserDirectory = dir.filePath("bin/Scale");
    r = Run();
    EXPECT_FALSE(r.Failed());
    EXPECT_FALSE(r.coefWritten);
    EXPECT_TRUE(r.coefPath.isEmpty());
    EXPECT_GT(doc.TableCount, 0);
}

// A FIFO, a device or a folder named "scale.pol" in the program's folder is
// never opened (a FIFO would hold the recalculation until someone reads
// it): the coefficients go to the user's folder, and the path stays as it was.
TEST_F(ScaleDocumentTest, CoefficientsNeverWaitOnAPathThatIsNoFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SetParabola();
    SetRange("0", "20", "1");
    struct Case {
        const char *name;
        std::function<bool(const QString &)> make;
    };
    const Case cases[] = {
        {"fifo", [](const QString &p) { return special::MakeFifo(p); }},
        {"device", [](const QString &p) { return special::MakeLink("/dev/null", p); }},
        {"folder", [](const QString &p) { return QDir().mkpath(p); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString programDir = dir.filePath(QString::fromLatin1(c.name) + "/bin");
        const QString userDir = dir.filePath(QString::fromLatin1(c.name) + "/share");
        ASSERT_TRUE(QDir().mkpath(programDir));
        const QString taken = QDir(programDir).filePath("scale.pol");
        ASSERT_TRUE(c.make(taken));
        doc.CoefDirectory = programDir;
        doc.CoefUserDirectory = userDir;
        RecalcReport r;
        {
            const special::Watchdog watchdog(c.name);
            r = Run();
        }
        EXPECT_FALSE(r.Failed());
        EXPECT_EQ(r.coefPath, QDir(userDir).filePath("scale.pol"));
        QFile f(r.coefPath);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray(ParabolaCoefText));
        EXPECT_GT(doc.TableCount, 0);
    }
    EXPECT_TRUE(special::IsFifo(dir.filePath("fifo/bin/scale.pol")));
    EXPECT_TRUE(special::IsLink(dir.filePath("device/bin/scale.pol")));
    EXPECT_TRUE(QFileInfo(dir.filePath("folder/bin/scale.pol")).isDir());
}

TEST_F(ScaleDocumentTest, PiecewiseLeavesTheFitUntouched)
{
    SetPoints({{0, 0}, {1, 1}, {2, 4}});
    SetRange("0", "10", "1");
    doc.ATypeIndex = 1;
    doc.PowerIndex = 1;
    Run();
    const double c2 = doc.Coef[2];
    doc.ATypeIndex = 0;
    doc.PowerIndex = 5;
    Run();
    EXPECT_EQ(doc.Degree, 2);
    EXPECT_EQ(doc.Coef[2], c2);
}

TEST_F(ScaleDocumentTest, OutOfRangePointCountNeverOverruns)
{
    SetPoints({{0, 0}, {1, 1}});
    doc.PointCount = 500;
    for (int i = 0; i < MaxPoints; ++i) {
        doc.PointX[i] = i;
        doc.PointY[i] = i;
    }
    SetRange("0", "100", "1");
    Run();
    EXPECT_EQ(doc.TableCount, 101);
    EXPECT_EQ(doc.Approximate(60.0), 60.0);
}

TEST_F(ScaleDocumentTest, PolynomialTableUsesTheFitAndCoefMatchesIt)
{
    SetParabola();
    SetRange("-100", "100", "0,5", "0,1");
    doc.Intervals = true;
    Run();
    ASSERT_GT(doc.TableCount, 0);
    for (int r = 0; r < doc.TableCount; ++r) {
        double x = doc.TableX[r];
        EXPECT_NEAR(doc.TableY[r], 1 + x * x, 1e-9);
        EXPECT_NEAR(PolyValue(doc.Degree, doc.Coef, x), doc.TableY[r], 1e-9);
    }
    // The search stopped where 1 + x^2 reaches 100.
    EXPECT_NEAR(doc.TableX.front(), -9.5, 1e-12);
    EXPECT_NEAR(doc.TableX.back(), 9.5, 1e-12);
    ASSERT_GE(doc.ProgCount, 3);
    EXPECT_EQ(doc.ProgX[0], doc.TableX.front());
    EXPECT_EQ(doc.ProgX[doc.ProgCount - 1], doc.TableX.back());
}

} // namespace
