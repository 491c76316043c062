// Editing the points of a scale document: sorted insertion, the two-way
// re-sort of a changed point, deletion and the reset of the empty scale.
#include "scale/scaledocument.h"
#include <gtest/gtest.h>
#include <ostream>
#include <utility>
#include <vector>

namespace {

using Points = std::vector<std::pair<double, double>>;

Points PointsOf(const ScaleDocument &doc)
{
    Points p;
    for (int i = 0; i < doc.PointCount; ++i)
        p.emplace_back(doc.PointX[i], doc.PointY[i]);
    return p;
}

void Fill(ScaleDocument &doc, const Points &points)
{
    for (const auto &[x, y] : points)
        doc.AddPoint(x, y);
    doc.Modified = false;
}

TEST(PointEditing, AddSortsByXAndReturnsTheNewRow)
{
    ScaleDocument doc;
    EXPECT_EQ(doc.AddPoint(5, 50), 0);
    EXPECT_EQ(doc.AddPoint(1, 10), 0);
    EXPECT_EQ(doc.AddPoint(3, 30), 1);
    EXPECT_EQ(PointsOf(doc), (Points{{1, 10}, {3, 30}, {5, 50}}));
    EXPECT_TRUE(doc.Modified);
    // An x already present goes after the points that have it.
    EXPECT_EQ(doc.AddPoint(3, 31), 2);
    EXPECT_EQ(doc.AddPoint(3, 32), 3);
    EXPECT_EQ(doc.AddPoint(9, 90), 5);
    EXPECT_EQ(PointsOf(doc), (Points{{1, 10}, {3, 30}, {3, 31}, {3, 32}, {5, 50}, {9, 90}}));
}

TEST(PointEditing, AddRefusesTheFiftyFirstPoint)
{
    ScaleDocument doc;
    for (int i = 0; i < MaxPoints; ++i)
        ASSERT_EQ(doc.AddPoint(MaxPoints - i, i), 0);
    doc.Modified = false;
    EXPECT_EQ(doc.AddPoint(0, 0), -1);
    EXPECT_EQ(doc.PointCount, MaxPoints);
    EXPECT_FALSE(doc.Modified);
    EXPECT_EQ(doc.PointX[0], 1.0);
    EXPECT_EQ(doc.PointX[MaxPoints - 1], double(MaxPoints));
}

struct ChangeCase {
    const char *name;
    int row;
    double x;
    int expectedRow;
    Points expected;
};

void PrintTo(const ChangeCase &c, std::ostream *os) { *os << c.name; }

class PointChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(PointChange, MovesThePointToItsPlace)
{
    const ChangeCase &c = GetParam();
    ScaleDocument doc;
    Fill(doc, {{1, 10}, {3, 30}, {5, 50}});
    EXPECT_EQ(doc.ChangePoint(c.row, c.x, 99), c.expectedRow);
    EXPECT_EQ(PointsOf(doc), c.expected);
    EXPECT_TRUE(doc.Modified);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PointChange,
    ::testing::Values(ChangeCase{"FirstToBetween", 0, 4, 1, {{3, 30}, {4, 99}, {5, 50}}},
                      ChangeCase{"FirstPastTheEnd", 0, 7, 2, {{3, 30}, {5, 50}, {7, 99}}},
                      ChangeCase{"LastToTheFront", 2, 0, 0, {{0, 99}, {1, 10}, {3, 30}}},
                      ChangeCase{"MiddleStays", 1, 2, 1, {{1, 10}, {2, 99}, {5, 50}}},
                      // Equal x: moving down stops behind it, moving up stops before it.
                      ChangeCase{"LastOntoEqual", 2, 3, 2, {{1, 10}, {3, 30}, {3, 99}}},
                      ChangeCase{"FirstOntoEqual", 0, 3, 0, {{3, 99}, {3, 30}, {5, 50}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PointEditing, ChangeAndDeleteRefuseARowWithoutAPoint)
{
    ScaleDocument doc;
    EXPECT_EQ(doc.ChangePoint(0, 1, 1), -1);
    EXPECT_FALSE(doc.DeletePoint(0));
    Fill(doc, {{1, 10}, {3, 30}});
    for (int row : {-1, 2, MaxPoints}) {
        EXPECT_EQ(doc.ChangePoint(row, 1, 1), -1) << row;
        EXPECT_FALSE(doc.DeletePoint(row)) << row;
    }
    EXPECT_EQ(PointsOf(doc), (Points{{1, 10}, {3, 30}}));
    EXPECT_FALSE(doc.Modified);
}

TEST(PointEditing, DeleteMovesTheLaterPointsUp)
{
    ScaleDocument doc;
    Fill(doc, {{1, 10}, {3, 30}, {5, 50}});
    EXPECT_TRUE(doc.DeletePoint(1));
    EXPECT_EQ(PointsOf(doc), (Points{{1, 10}, {5, 50}}));
    EXPECT_TRUE(doc.Modified);
    EXPECT_TRUE(doc.DeletePoint(1));
    EXPECT_TRUE(doc.DeletePoint(0));
    EXPECT_EQ(doc.PointCount, 0);
    // The freed row starts afresh.
    EXPECT_EQ(doc.AddPoint(2, 20), 0);
    EXPECT_EQ(PointsOf(doc), (Points{{2, 20}}));
}

TEST(PointEditing, ResetKeepsTheUnitsInputsAndRange)
{
    ScaleDocument doc;
    Fill(doc, {{0, 0}, {10, 10}});
    doc.Intervals = true;
    doc.MinText = "0";
    doc.MaxText = "10";
    doc.AboutText = "about";
    doc.XNameText = "x";
    doc.YNameText = "y";
    doc.UnitsText = "mm";
    doc.GraphXMax = 20;
    ASSERT_FALSE(doc.Recalculate().Failed());
    ASSERT_GT(doc.TableCount, 0);
    ASSERT_GT(doc.ProgCount, 0);
    doc.Modified = true;

    doc.Reset();
    EXPECT_EQ(doc.PointCount, 0);
    EXPECT_EQ(doc.TableCount, 0);
    EXPECT_TRUE(doc.TableX.empty());
    EXPECT_TRUE(doc.TableY.empty());
    EXPECT_EQ(doc.ProgCount, 0);
    EXPECT_TRUE(doc.AboutText.isEmpty());
    EXPECT_TRUE(doc.XNameText.isEmpty());
    EXPECT_TRUE(doc.YNameText.isEmpty());
    EXPECT_FALSE(doc.Modified);
    EXPECT_EQ(doc.UnitsText, "mm");
    EXPECT_TRUE(doc.Intervals);
    EXPECT_EQ(doc.MaxText, "10");
    EXPECT_EQ(doc.GraphXMax, 20.0);
}

} // namespace
