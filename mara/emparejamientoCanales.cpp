#include "mara/emparejamientoCanales.h"

#include <algorithm>
#include <numeric>

#include "mara/etiquetasMara.h"

EmparejamientoCanales emparejarCanales(const std::vector<std::string>& etiquetasCanales) {
    std::vector<std::string> claves;
    claves.reserve(etiquetasCanales.size());
    for (const auto& e : etiquetasCanales) claves.push_back(aMayusculas(e));

    std::vector<arma::uword> orden(claves.size());
    std::iota(orden.begin(), orden.end(), arma::uword{0});
    std::stable_sort(orden.begin(), orden.end(), [&](arma::uword a, arma::uword b) { return claves[a] < claves[b]; });

    std::vector<std::string> tabla;
    for (const auto& e : etiquetasMara()) tabla.push_back(aMayusculas(e));

    std::vector<arma::uword> indices, canales;
    EmparejamientoCanales r;
    for (arma::uword canal : orden) {
        const auto it = std::find(tabla.begin(), tabla.end(), claves[canal]);
        if (it == tabla.end()) continue;
        indices.push_back(static_cast<arma::uword>(it - tabla.begin()));
        canales.push_back(canal);
        r.etiquetas.push_back(etiquetasCanales[canal]);
    }
    r.indicesEtiqueta = arma::uvec(indices);
    r.canalesEmparejados = arma::uvec(canales);
    return r;
}
