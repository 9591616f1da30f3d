#pragma once
// The element-wise work of one extended infomax block, in loops the compiler
// vectorises: the nonlinearity with the bias, the weight update with its
// blow-up test, and the kurtosis moments. Each routine is built for several
// instruction sets and picked at run time; all of them round every operation
// the same way (no fused multiply-add), so a seed gives the same weights on
// any x86-64 machine.

#include <armadillo>

namespace icaDetalle {

// tanh(x) element by element as (1 - e) / (1 + e) with e = exp(-2|x|), the
// exponential by range reduction to |r| <= ln2/2 and a degree-13 polynomial.
// The absolute error stays below 2^-52, as with the C library's exp in the
// same formula (whose result it matches in about 98 % of the values); next to
// u itself in (G y + u) u' nothing finer matters.
void tangenteHiperbolica(const double* x, double* t, arma::uword n);

// On a Q x B block u (column-major): u += sesgo (per row), t = tanh(u),
// sumaT(i) = sum over the block of t(i, :), y = signos(i) t + u. sumaT is
// overwritten.
void nolinealidadBloque(double* u, const double* sesgo, const double* signos, arma::uword Q, arma::uword B, double* y,
                        double* sumaT);

// pesos = escala pesos - eta MW over n entries. False when an entry leaves
// [-limite, limite] or is not a number (the weights blew up).
bool actualizarPesos(double* pesos, const double* MW, arma::uword n, double escala, double eta, double limite);

// For a Q x n block of activations: m2(i) += a², m4(i) += (a²)², column after
// column (the order of a sum along rows).
void acumularMomentos(const double* act, arma::uword Q, arma::uword n, double* m2, double* m4);

}  // namespace icaDetalle
