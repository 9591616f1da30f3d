#include "mara/quitarComponentes.h"

#include <algorithm>
#include <stdexcept>
#include <string>

EEG quitarComponentes(const EEG& activaciones, const std::vector<arma::uword>& quitar) {
    if (!activaciones.descomposicion)
        throw std::invalid_argument("esta rama no es de componentes de ICA: aplique antes ICA (o ica:ARCHIVO)");
    const DescomposicionICA& d = *activaciones.descomposicion;
    comprobarDescomposicion(d);
    const arma::mat& A = activaciones.datos();
    const arma::uword Q = d.componentes();
    if (A.n_rows != Q)
        throw std::invalid_argument("la rama tiene " + std::to_string(A.n_rows) + " filas y su descomposición " +
                                    std::to_string(Q) + " componentes");
    std::vector<bool> fuera(Q, false);
    for (const arma::uword q : quitar) {
        if (q < 1 || q > Q)
            throw std::invalid_argument("la componente " + std::to_string(q) + " no existe: hay " + std::to_string(Q) +
                                        " (se cuentan desde 1)");
        fuera[q - 1] = true;
    }
    std::vector<arma::uword> quedan;
    for (arma::uword q = 0; q < Q; ++q)
        if (!fuera[q]) quedan.push_back(q);
    if (quedan.empty()) throw std::invalid_argument("no se pueden quitar todas las componentes");
    const arma::uvec k(quedan);
    EEG r = derivarEEG(activaciones, d.mezcla().cols(k) * A.rows(k));
    r.canales = std::make_shared<std::vector<Canal>>(*d.canales);
    r.numeroCanales = static_cast<uint32_t>(d.canales->size());
    return r;
}

std::string textoComponentes(std::vector<arma::uword> numeros) {
    std::sort(numeros.begin(), numeros.end());
    numeros.erase(std::unique(numeros.begin(), numeros.end()), numeros.end());
    std::string t;
    for (size_t i = 0; i < numeros.size(); ++i) t += (i ? "," : "") + std::to_string(numeros[i]);
    return t;
}
