#include "averaging/referencia.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <stdexcept>

arma::mat restarReferencia(const arma::mat& X, const std::vector<arma::uword>& referencia) {
    if (referencia.empty()) throw std::invalid_argument("la referencia necesita al menos un canal");
    for (const arma::uword i : referencia)
        if (i >= X.n_rows)
            throw std::invalid_argument("canal de referencia " + std::to_string(i + 1) + " fuera de la rama (tiene " +
                                        std::to_string(X.n_rows) + ")");
    // A row vector of the reference per sample, subtracted from every row.
    const arma::rowvec media = arma::mean(X.rows(arma::uvec(referencia)), 0);
    return X.each_row() - media;
}

std::vector<arma::uword> canalesPorEtiqueta(const EEG& eeg, const std::vector<std::string>& etiquetas) {
    const std::vector<Canal>& canales = *eeg.canales;
    std::vector<arma::uword> r;
    for (const std::string& e : etiquetas) {
        const auto it = std::find_if(canales.begin(), canales.end(), [&](const Canal& c) { return c.etiqueta == e; });
        if (it == canales.end()) {
            std::string hay;
            for (std::size_t i = 0; i < canales.size() && i < 12; ++i) hay += (i ? ", " : "") + canales[i].etiqueta;
            if (canales.size() > 12) hay += "…";
            throw std::invalid_argument("la rama no tiene el canal \"" + e + "\" (tiene " + hay + ")");
        }
        const auto i = static_cast<arma::uword>(it - canales.begin());
        if (std::find(r.begin(), r.end(), i) != r.end())
            throw std::invalid_argument("el canal \"" + e + "\" aparece dos veces en la referencia");
        r.push_back(i);
    }
    return r;
}

void anotarPrefiltrado(EEG& eeg, const std::string& nota) {
    if (!eeg.canales) return;
    auto canales = std::make_shared<std::vector<Canal>>(*eeg.canales);
    for (Canal& c : *canales) c.prefiltrado += (c.prefiltrado.empty() ? "" : " ") + nota;
    eeg.canales = std::move(canales);
}

EEG rereferenciar(const EEG& eeg, const std::vector<arma::uword>& referencia, const std::string& texto) {
    if (eeg.matrices.empty() || eeg.datos().n_rows == 0)
        throw std::invalid_argument("la rama no tiene canales que re-referenciar");
    std::vector<arma::uword> filas = referencia;
    if (filas.empty()) {
        filas.resize(eeg.datos().n_rows);
        std::iota(filas.begin(), filas.end(), arma::uword{0});
    }
    const std::vector<arma::uword> malas = filasCanalesMalos(eeg);
    std::erase_if(filas, [&](arma::uword i) { return std::find(malas.begin(), malas.end(), i) != malas.end(); });
    if (filas.empty())
        throw std::invalid_argument("todos los canales de la referencia están marcados como malos; interpólelos "
                                    "antes o elija otra referencia");
    EEG r = derivarEEG(eeg, arma::mat());
    r.matrices.clear();
    for (const arma::mat& m : eeg.matrices) r.matrices.push_back(restarReferencia(m, filas));
    anotarPrefiltrado(r, "Ref:" + texto);
    return r;
}
