#pragma once
// Inverse of the regularised lower incomplete gamma function.

// x >= 0 with P(a, x) = p, for 0 <= p <= 1 and a > 0. Yields -1.0 when it cannot
// be computed (p outside [0, 1], a not positive, or no finite x: p = 1).
double Pinv(double p, double a);
