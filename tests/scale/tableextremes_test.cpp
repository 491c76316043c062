#include "common/numtext.h"
#include "scale/scaledocument.h"
#include <gtest/gtest.h>
#include <cmath>

// The graph fits its range to the table extremes; a table refused for a
// value that is not finite must leave those of the last table that had rows.
TEST(TableExtremes, RefusedTableKeepsThoseOfTheLastTableWithRows)
{
    numtext::SetDecimalSeparator(',');
    ScaleDocument doc;
    doc.PointCount = 2;
    doc.PointX[0] = 10;
    doc.PointY[0] = 10;
    doc.PointX[1] = 20;
    doc.PointY[1] = 20;
    doc.MinText = "1";
    doc.MaxText = "100";
    doc.StepText = "1";
    ASSERT_FALSE(doc.Recalculate().Failed());
    ASSERT_GT(doc.TableCount, 0);
    const double xMin = doc.TableXMin, xMax = doc.TableXMax, yMin = doc.TableYMin, yMax = doc.TableYMax;
    EXPECT_EQ(xMin, 1.0);
    EXPECT_EQ(xMax, 100.0);

    // The slope overflows: the first row is 0 * inf, not a number.
    doc.PointY[0] = -1e308;
    doc.PointX[0] = 0;
    doc.PointX[1] = 1;
    doc.PointY[1] = 1e308;
    doc.MinText = "-1E308";
    doc.MaxText = "1E308";
    doc.StepText = "0,5";
    EXPECT_EQ(doc.Recalculate().field, ScaleField::StepEdit);
    EXPECT_EQ(doc.TableCount, 0);
    EXPECT_EQ(doc.TableXMin, xMin);
    EXPECT_EQ(doc.TableXMax, xMax);
    EXPECT_EQ(doc.TableYMin, yMin);
    EXPECT_EQ(doc.TableYMax, yMax);
    numtext::SetDecimalSeparator('.');
}
