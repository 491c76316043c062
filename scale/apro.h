#pragma once
// Least-squares polynomial fit, the Gauss elimination that solves a normal
// system, integer powers and polynomial values. Free functions over plain
// arrays of doubles; failure comes back as an error code or a bool.
#include <QString>

// The normal system is kept in square storage of this many rows and columns,
// row by row; the solver steps take matrices with this row length.
constexpr int MatrixCapacity = 20;
// Highest degree the fit takes, as far as a normal system in this storage
// goes (2m power sums of MatrixCapacity entries).
constexpr int MaxFitDegree = MatrixCapacity / 2;

// Error codes of GaussSolve.
constexpr int GaussErrSize = 1;     // system size below 1
constexpr int GaussErrSingular = 2; // singular (or numerically singular) system

double IntPower(double x, int k);
double PolyValue(int m, const double *coef, double x);

// A polynomial in the centred, scaled variable t = (x - mid) / half, where mid
// is the centre of the fitted points' x range and half the power of two at or
// above its half-width, so that t of a point is exact. The fit is held and
// evaluated in this basis, in extended precision; the power-basis
// coefficients in x are derived from it.
struct CentredPolynomial {
    int degree = 0;
    double mid = 0.0;
    double half = 1.0;
    long double coef[MatrixCapacity] = {};

    long double T(double x) const { return (static_cast<long double>(x) - mid) * (1.0L / half); }
    double Value(double x) const
    {
        const long double t = T(x);
        long double v = coef[degree];
        for (int k = degree - 1; k >= 0; --k)
            v = v * t + coef[k];
        return static_cast<double>(v);
    }
};

// Fits degree m to the n points by least squares. On success writes coef[0..m]
// (power basis in x, constant first) and, when given, the fit in its centred
// basis, and returns true. On failure returns false with coef and centred
// untouched, and reports "Gaus Error : <code>": into *message when given, else
// in a plain message box. The fit has no unique solution, and fails with
// GaussErrSingular, when fewer than m + 1 abscissae are apart by more than the
// rounding of a double (two units in the last place), when the points crowd so
// tightly that the rounding of the wide arithmetic could move the curve between
// them by more than a 1e-13 share of its values, and for a value that is not
// finite; a degree beyond the storage fails with GaussErrSize.
bool LeastSquaresFit(int m, int n, const double *xs, const double *ys, double *coef,
                     QString *message = nullptr, CentredPolynomial *centred = nullptr);

// Power-basis coefficients in x of a centred polynomial, expanded in
// quadruple precision (where the compiler has it) and rounded to double once.
void CentredToPower(const CentredPolynomial &p, double *coef);

// Solves A*x = b (row length MatrixCapacity, size at most MatrixCapacity);
// A and b are overwritten; x is written only when err is 0.
void GaussSolve(int size, double *A, double *b, int &err, double *x);
void GaussCheck(int size, double *A, double *b, int &err, double *x);
void GaussForward(int size, double *A, double *b, int &err);
void GaussBackSubstitute(int size, double *A, double *b, double *x);
void AddScaledRow(int count, const double *src, double *dst, double factor);
