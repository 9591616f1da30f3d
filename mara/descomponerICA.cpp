#include "mara/descomponerICA.h"

#include <stdexcept>

#include "mara/icaExtendida.h"
#include "mara/icaExtendidaDetalle.h"

void icaAlRango(const arma::mat& centrados, arma::mat& pesos, arma::mat& esfera, double eta,
                std::optional<uint32_t> semilla, const Avance& avance) {
    const arma::uword C = centrados.n_rows;
    // icaExtendida refuses non-finite data and too few samples itself; the
    // rank of such data means nothing, so let it say so.
    const arma::uword r =
        centrados.is_finite() && centrados.n_cols >= C ? icaDetalle::rangoNumerico(centrados) : C;
    if (r == C || r == 0) {
        icaExtendida(centrados, pesos, esfera, eta, static_cast<int>(C), semilla, avance);
        return;
    }
    arma::vec valores;
    arma::mat vectores;
    if (!arma::eig_sym(valores, vectores, centrados * centrados.t()))
        throw std::runtime_error("Error ICA, no se pudo reducir los datos a su rango (" + std::to_string(r) + ")");
    // eig_sym sorts ascending: the last r columns span the data.
    const arma::mat E = arma::fliplr(vectores.tail_cols(r));
    arma::mat W, S;
    icaExtendida(E.t() * centrados, W, S, eta, static_cast<int>(r), semilla, avance);
    pesos = W * S * E.t();
    esfera = arma::eye(C, C);
}

DescomposicionICA descomponerICA(const EEG& eeg, std::optional<uint32_t> semilla, const Avance& avance) {
    const arma::mat& X = eeg.datos();
    if (X.n_rows == 0 || X.n_cols == 0) throw std::out_of_range("la rama no tiene muestras que descomponer");
    DescomposicionICA d;
    icaAlRango(X.each_col() - arma::mean(X, 1), d.pesos, d.esfera, 0.001, semilla, avance);
    d.canales = eeg.canales;
    d.origen = eeg.historia;
    return d;
}
