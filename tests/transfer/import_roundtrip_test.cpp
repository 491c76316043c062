// A scale loaded from the instrument and written back unchanged must give the
// instrument the points it had: the import's table and reduction reproduce
// the stored polyline, break points, ends and integers alike.
#include "common/lang.h"
#include "common/numtext.h"
#include "scale/scaledocument.h"
#include "tools/emulator.h"
#include "transfer/scaleimport.h"
#include "transfer/scaletransfer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Points = std::vector<std::pair<int, int>>;

struct StoredCase {
    std::string label;
    emu::StoredScale stored;
    Points points; // as the instrument stores them: x, y * 10^decimals
};

Points StoredPoints(const emu::StoredScale &s)
{
    ScaleRecord r{};
    std::memcpy(r.data(), s.record.data(), r.size());
    Points p;
    for (int i = 0; i < r[scalerec::PointCount]; ++i)
        p.emplace_back(RecordPointX(r, i), RecordPointY(r, i));
    return p;
}

StoredCase Made(const char *label, int decimals, const Points &points)
{
    return {label, emu::MakeScale(QString::fromLatin1(label).left(8), QStringLiteral("V"), decimals, points), points};
}

// The points a write gives back: a point on the straight line through its
// neighbours is no bend, the reduction drops it, and the polyline is the same.
Points Bends(const Points &p)
{
    Points kept;
    for (std::size_t j = 0; j < p.size(); ++j) {
        if (j > 0 && j + 1 < p.size()) {
            const long long dx1 = p[j].first - p[j - 1].first, dy1 = p[j].second - p[j - 1].second;
            const long long dx2 = p[j + 1].first - p[j].first, dy2 = p[j + 1].second - p[j].second;
            if (dy2 * dx1 == dy1 * dx2)
                continue;
        }
        kept.push_back(p[j]);
    }
    return kept;
}

std::vector<StoredCase> Cases()
{
    const QString path = QFileInfo(QString::fromUtf8(__FILE__)).dir().filePath(
        QStringLiteral("../../tools/fixtures/scales.txt"));
    const emu::InstrumentData d = emu::LoadFixture(path);
    std::vector<StoredCase> cases;
    for (std::size_t i = 1; i < d.scales.size(); ++i) // 0 is the built-in default
        cases.push_back({"sample scale " + std::to_string(i), d.scales[i], StoredPoints(d.scales[i])});
    // Gentle bends: a chord of one unit's tolerance would run well past them.
    cases.push_back(Made("Falling", 3, {{0, 4115}, {1000, 2600}, {2000, 1250}, {3000, 0}}));
    cases.push_back(Made("Bends", 2, {{5, 100}, {3000, 101}, {9000, 140}, {20000, 139}, {65535, 65535}}));
    cases.push_back(Made("Hump", 1, {{0, 100}, {10, 900}, {20, 50}, {30, 400}}));
    cases.push_back(Made("Wide", 0, {{0, 0}, {32767, 32768}, {65534, 65535}}));
    cases.push_back(Made("Straight", 1, {{0, 900}, {500, 450}, {600, 360}, {1000, 0}}));
    // The gentlest bend 16-bit points can make, on values near the top.
    cases.push_back(Made("Faint", 3, {{0, 0}, {32767, 32766}, {65535, 65533}}));
    cases.push_back(Made("FaintTop", 0, {{0, 65535}, {32767, 32769}, {65535, 2}}));
    // The last segment's value at the last point comes out one rounding past
    // that point's y: above it on a rising end, below it on a falling one.
    cases.push_back(Made("Overshot", 0, {{34281, 253}, {56940, 50536}}));
    cases.push_back(Made("Under", 0, {{44236, 17677}, {64721, 7088}}));
    cases.push_back(Made("Over3", 3, {{0, 0}, {362, 1091}, {3181, 6725}}));
    cases.push_back(Made("Under2", 2, {{0, 1500}, {90, 992}, {4919, 348}}));
    cases.push_back(Made("Thirds", 3, {{1, 1}, {4, 2}, {7, 4}, {13, 7}, {100, 65535}}));
    return cases;
}

class ImportRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        numtext::SetDecimalSeparator(',');
        English = false;
    }
};

// Stored scales of 2..12 points anywhere in the 16-bit range, at every decimals.
std::vector<StoredCase> DrawnCases()
{
    std::mt19937 gen(20261210);
    std::vector<StoredCase> cases;
    for (int n = 0; n < 300; ++n) {
        const int count = std::uniform_int_distribution<int>(2, 12)(gen);
        std::vector<int> xs;
        while (static_cast<int>(xs.size()) < count) {
            const int x = std::uniform_int_distribution<int>(0, 65535)(gen);
            if (std::find(xs.begin(), xs.end(), x) == xs.end())
                xs.push_back(x);
        }
        std::sort(xs.begin(), xs.end());
        Points points;
        for (int x : xs)
            points.emplace_back(x, std::uniform_int_distribution<int>(0, 65535)(gen));
        cases.push_back(Made(("Drawn " + std::to_string(n)).c_str(), n % 4, points));
    }
    return cases;
}

void ExpectWrittenBack(const StoredCase &c)
{
    SCOPED_TRACE(c.label);
    ScaleRecord record{};
    std::memcpy(record.data(), c.stored.record.data(), record.size());
    ScaleDocument doc;
    ASSERT_TRUE(ImportScaleRecord(doc, record));
    doc.Intervals = true; // the user asks for programming points
    ASSERT_FALSE(doc.Recalculate().Failed());
    const WritePreparation p = PrepareScaleWrite(doc);
    ASSERT_EQ(p.state, WritePreparation::Ready) << p.message.toStdString();
    EXPECT_EQ(p.data.decimals, record[scalerec::Decimals]);
    Points written;
    for (int i = 0; i < p.data.Count(); ++i)
        written.emplace_back(p.data.x[static_cast<std::size_t>(i)], p.data.y[static_cast<std::size_t>(i)]);
    EXPECT_EQ(written, Bends(c.points)) << "maximum deviation " << doc.MaxErrText.toStdString();
}

TEST_F(ImportRoundTrip, ALoadedScaleWrittenBackKeepsItsPoints)
{
    for (const StoredCase &c : Cases())
        ExpectWrittenBack(c);
}

TEST_F(ImportRoundTrip, DrawnScalesWrittenBackKeepTheirPoints)
{
    for (const StoredCase &c : DrawnCases())
        ExpectWrittenBack(c);
}

} // namespace
