#pragma once
// Calibrations that strain a least-squares polynomial fit, the designer's
// document set up for one, the exact least-squares polynomial of each (in
// rational arithmetic) to measure a fit against, and a plain Householder QR
// in doubles as the yardstick of what doubles alone give.
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class ScaleDocument;

struct FitCase {
    std::string name;
    std::vector<double> xs, ys; // sorted by x
    int degree = 1;
    double step = 1.0;   // table step
    double digits = 13;  // correct significant digits every table row must keep
};

// Points crowded into [0, width] (45 of them) with five more at 200 ... 1000,
// on y = 1000 (1 - e^(-x/300)).
FitCase CrowdedCase(double width, int degree);
// Every case of the table, in a fixed order.
std::vector<FitCase> FitCases();
// The case's name, for test output, and as an identifier ("minus50_1300_degree_2").
void PrintTo(const FitCase &c, std::ostream *os);
std::string CaseId(const FitCase &c);

// The case as the designer takes it: its points, a polynomial of its degree,
// a range no case reaches the ends of, and its step (written with the
// designer's decimal separator, which this sets).
void LoadCase(ScaleDocument &doc, const FitCase &c);
// The table rows of doc from the case's first to its last point x.
void RowsWithinPoints(const ScaleDocument &doc, const FitCase &c, std::vector<double> &xs, std::vector<double> &ys);

// The least-squares polynomial of degree m through the points, exactly.
class ExactFit {
public:
    ExactFit(int m, const std::vector<double> &xs, const std::vector<double> &ys);
    ~ExactFit();
    ExactFit(const ExactFit &) = delete;
    ExactFit &operator=(const ExactFit &) = delete;

    // |value - p(x)|, and |p(x)|, computed to far beyond double precision.
    double ErrorAt(double x, double value) const;
    double MagnitudeAt(double x) const;
    // Power-basis coefficient k in x, rounded to the nearest double.
    double PowerCoefficient(int k) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

// Correct significant digits of the values f(x) on the rows xs, relative to
// the largest |p(x)| there: -log10(largest error / largest |p|), at most 17.
double CorrectDigits(const ExactFit &exact, const std::vector<double> &xs, const std::function<double(double)> &f);

// Least squares by Householder QR in doubles on t = (x - mid) / half, the
// curve evaluated by Horner in t; an empty function when the QR finds the
// problem rank-deficient.
std::function<double(double)> QrInDoubles(int m, const std::vector<double> &xs, const std::vector<double> &ys);
