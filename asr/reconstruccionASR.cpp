#include "asr/reconstruccionASR.h"

#include <stdexcept>
#include <string>

arma::mat matrizReconstruccion(const arma::mat& cov, const arma::mat& M, const arma::mat& T, double maxdims,
                               bool& trivial) {
    const arma::uword C = cov.n_rows;
    if (cov.n_cols != C || M.n_rows != C || M.n_cols != C || T.n_rows != C || T.n_cols != C)
        throw std::invalid_argument("la covarianza mide " + std::to_string(cov.n_rows) + "x" +
                                    std::to_string(cov.n_cols) + ", M " + std::to_string(M.n_rows) + "x" +
                                    std::to_string(M.n_cols) + " y T " + std::to_string(T.n_rows) + "x" +
                                    std::to_string(T.n_cols) + " no casan");
    arma::vec D;
    arma::mat V;
    // Divide and conquer: the same eigenpairs as the QR driver up to
    // rounding, several times faster at 64 channels.
    if (!cov.is_finite() || !arma::eig_sym(D, V, cov, "dc"))
        throw std::runtime_error(
            "ASR: no se pudo descomponer la covarianza de una ventana (contiene valores no finitos; "
            "¿es estable el filtro de la calibración?)");
    const arma::uvec orden = arma::stable_sort_index(D);
    D = D(orden);
    V = V.cols(orden);

    const arma::rowvec umbral = arma::sum(arma::square(T * V), 0);
    arma::uvec conservar(C);
    for (arma::uword k = 0; k < C; ++k)
        conservar(k) = (D(k) < umbral(k)) || (static_cast<double>(k + 1) < static_cast<double>(C) - maxdims);
    trivial = arma::all(conservar);
    if (trivial) return arma::eye(C, C);

    const arma::uvec cuales = arma::find(conservar);
    if (cuales.is_empty()) return arma::zeros(C, C);  // pinv of a zero matrix is zero
    // Zeroed rows of diag(keep) Vᵀ M only add zero columns to its
    // pseudo-inverse, and those meet the same zeroed rows of Vᵀ: use the kept
    // rows alone.
    const arma::mat Vk = V.cols(cuales);
    const arma::mat A = Vk.t() * M;
    // A has full row rank unless the calibration data were rank-deficient
    // beyond rounding: then pinv(A) = Q R^-T from A' = Q R, several times
    // cheaper than the SVD the pseudo-inverse needs in general.
    arma::mat Q, Rq;
    if (arma::qr_econ(Q, Rq, A.t())) {
        const arma::vec d = arma::abs(Rq.diag());
        if (d.min() > 1e-7 * d.max()) {
            arma::mat X;
            if (arma::solve(X, arma::trimatl(Rq.t()), Vk.t(), arma::solve_opts::no_approx))
                return M * (Q * X);
        }
    }
    arma::mat inversa;
    if (!arma::pinv(inversa, A, 0.0, "dc"))
        throw std::runtime_error("ASR: no se pudo calcular la pseudo-inversa de una ventana");
    return M * inversa * Vk.t();
}
