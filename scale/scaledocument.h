#pragma once
// The scale being designed: calibration points, how they are approximated,
// the table over its range, its programming points, and the inputs the
// designer window binds its controls to.
#include "scale/apro.h"
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

constexpr int MaxPoints = 50;
constexpr int MaxProgPoints = 50;
constexpr int MaxDegree = 9;                 // degree selector items "1" .. "9"
constexpr int CoefCapacity = MaxDegree + 1;
constexpr double TableStepMinimum = 0.001;
// A table beyond this many rows comes from a step far too small for the
// range; it is refused as a bad step rather than allocated.
constexpr std::int64_t MaxTableRows = 10000000;
// Length limits of the texts the scale file stores (Windows-1251 characters).
constexpr int MaxAboutLength = 200; // ScaleEdit, the scale description
constexpr int MaxNameLength = 8;    // XNameEdit, YNameEdit
constexpr int MaxUnitsLength = 4;   // DescriptionEdit, the units
// File the fitted coefficients go to, in the directory the program names.
inline constexpr const char *CoefFileName = "scale.pol";

// The edit whose text a recalculation refused.
enum class ScaleField { None, MinEdit, MaxEdit, StepEdit, MaxErrEdit };

struct RecalcReport {
    ScaleField field = ScaleField::None; // refused edit (focus goes there)
    QString fieldMessage;                // its message box text
    QString fieldCaption;                // and caption
    QStringList fitMessages;             // a failed fit: both messages, in order
    bool coefWritten = false;            // "scale.pol" was written
    QString coefPath;                    // and where

    bool Failed() const { return field != ScaleField::None || !fitMessages.isEmpty(); }
};

class ScaleDocument {
public:
    ScaleDocument();

    // Calibration points, sorted by x ascending (equal x allowed).
    int PointCount = 0;
    double PointX[MaxPoints] = {};
    double PointY[MaxPoints] = {};

    // Polynomial: degree of the last polynomial recalculation, coefficients in
    // x (constant first) of the last successful fit, and that fit in the
    // centred basis the table is evaluated in.
    int Degree = 0;
    double Coef[CoefCapacity] = {};
    CentredPolynomial Fit;

    double TableMin = 0.0;
    double TableMax = 0.0;
    double TableStep = 0.0;
    double MaxDeviation = 0.0;

    int TableCount = 0;
    std::vector<double> TableX;
    std::vector<double> TableY;
    double TableXMin = 0.0, TableXMax = 0.0;
    double TableYMin = 0.0, TableYMax = 0.0;

    int ProgCount = 0;
    double ProgX[MaxProgPoints] = {};
    double ProgY[MaxProgPoints] = {};

    double GraphXMin = 0.0, GraphXMax = 100.0;
    double GraphYMin = 0.0, GraphYMax = 100.0;
    bool Modified = false;

    // Window inputs (the window binds its controls to these).
    int ATypeIndex = 0;        // 0 piecewise-linear, any other polynomial
    int PowerIndex = 0;        // degree - 1, items "1" .. "9"; outside 0..8: none
    int ScalePwrIndex = 0;     // table decimals "0", "0,0", "0,00", "0,000"; other: 0
    bool Intervals = false;    // make programming points
    QString MinText = QStringLiteral("1");
    QString MaxText = QStringLiteral("100");
    QString StepText = QStringLiteral("1");
    QString MaxErrText = QStringLiteral("1");

    // The texts the scale file stores (the window's edits bind to these).
    QString AboutText;  // ScaleEdit
    QString XNameText;  // XNameEdit
    QString YNameText;  // YNameEdit
    QString UnitsText;  // DescriptionEdit

    // Where "scale.pol" is written: the program's directory, or where no file
    // can be written there the per-user data directory (created when
    // missing). Empty: not there.
    QString CoefDirectory;
    QString CoefUserDirectory;

    bool Polynomial() const { return ATypeIndex != 0; }
    // Degree the selector stands for: index + 1, or 0 without a valid selection.
    int SelectedDegree() const;
    // Decimals of the table values: 0 .. 3.
    int TableDecimals() const;

    // Point editing. Each keeps the points sorted by x, a point with an x
    // already present going after the earlier ones, and sets Modified; the
    // caller recalculates.
    // Appends (x, y) and moves it down past every point with a larger x;
    // returns its row, or -1 when MaxPoints are already there.
    int AddPoint(double x, double y);
    // Replaces the point at row and moves it down, then up, to its place;
    // returns its new row, or -1 when row holds no point.
    int ChangePoint(int row, double x, double y);
    // Removes the point at row, the later ones moving up; false when row holds no point.
    bool DeletePoint(int row);
    // The empty scale: no points, no table, no programming points, and no
    // description or scale names; Modified false. The units, the inputs and
    // the graph range stay.
    void Reset();

    // Value of the current approximation at x.
    double Approximate(double x) const;

    // Rebuilds coefficients, "scale.pol", table and programming
    // points from the points and inputs. Shows nothing: a refused edit and a
    // failed fit come back in the report, with the table left empty.
    RecalcReport Recalculate();

    // Drops the table and the programming points.
    void ClearTable();

    // Writes "scale.pol" for the current Degree and Coef (see CoefDirectory);
    // the path written, empty when no directory took it.
    QString WriteCoefficients() const;

private:
    // Moves the point at i down past every point with a larger x; its new row.
    int MovePointDown(int i);
    bool SearchTable(double &w, double &u, std::int64_t &rows) const;
    // False at the first value that is not finite.
    bool BuildTable(double w, std::int64_t rows);
    void BuildProgPoints();
};

// The text of "scale.pol": the degree, then the coefficients constant first,
// one a line as "%20.10lf". A coefficient that rounds to zero has no sign.
std::string CoefFileText(int degree, const double *coef);

// Writes text as "scale.pol" into directory (a whole-file replace, regular
// files only), or where no file can be written there, into fallback, created
// when missing. The path written, or empty.
QString WriteCoefFile(const QString &directory, const QString &fallback, const std::string &text);

// The memo row of a table row with the given decimals ("%5.0f  %.2f" style).
QString TableRowText(double x, double value, int decimals);
