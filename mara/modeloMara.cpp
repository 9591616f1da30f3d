#include "mara/modeloMara.h"

#include <stdexcept>
#include <string>

#include "mara/etiquetasMara.h"

namespace {

std::string dimensiones(arma::uword a, arma::uword b) { return std::to_string(a) + " x " + std::to_string(b); }

template <typename Objeto>
Objeto leer(const std::filesystem::path& ruta) {
    Objeto o;
    if (!std::filesystem::is_regular_file(ruta))
        throw std::runtime_error("Mara: no se encuentra el archivo de modelo " + ruta.string());
    if (!o.load(ruta.string(), arma::arma_binary))
        throw std::runtime_error("Mara: no se puede leer el archivo de modelo " + ruta.string() +
                                 " (se espera el formato binario propio de Armadillo)");
    return o;
}

}  // namespace

ModeloMara cargarModeloMara(const std::filesystem::path& directorio) {
    ModeloMara m;
    m.leadfield = leer<arma::cube>(directorio / "maraL.bin");
    m.patronesEntrenamiento = leer<arma::mat>(directorio / "marapattern.bin");
    m.caracteristicasEntrenamiento = leer<arma::mat>(directorio / "marax.bin");
    m.etiquetasEntrenamiento = leer<arma::mat>(directorio / "maralabels.bin");

    const arma::uword nL = etiquetasLeadfield().size(), nM = etiquetasMara().size();
    const arma::cube& L = m.leadfield;
    if (L.n_rows != nL || L.n_cols == 0 || L.n_slices != 3)
        throw std::runtime_error("Mara: maraL.bin mide " + dimensiones(L.n_rows, L.n_cols) + " x " +
                                 std::to_string(L.n_slices) + "; se esperan " + std::to_string(nL) +
                                 " filas, alguna fuente y 3 capas");
    const arma::uword n = m.patronesEntrenamiento.n_cols;
    if (m.patronesEntrenamiento.n_rows != nM || n == 0)
        throw std::runtime_error("Mara: marapattern.bin mide " +
                                 dimensiones(m.patronesEntrenamiento.n_rows, n) + "; se esperan " +
                                 std::to_string(nM) + " filas");
    if (m.caracteristicasEntrenamiento.n_rows != 6 || m.caracteristicasEntrenamiento.n_cols != n)
        throw std::runtime_error("Mara: marax.bin mide " +
                                 dimensiones(m.caracteristicasEntrenamiento.n_rows,
                                             m.caracteristicasEntrenamiento.n_cols) +
                                 "; se espera " + dimensiones(6, n));
    if (m.etiquetasEntrenamiento.n_rows == 0 || m.etiquetasEntrenamiento.n_cols != n)
        throw std::runtime_error("Mara: maralabels.bin mide " +
                                 dimensiones(m.etiquetasEntrenamiento.n_rows, m.etiquetasEntrenamiento.n_cols) +
                                 "; se espera al menos " + dimensiones(1, n));
    const arma::rowvec etiquetas = m.etiquetasEntrenamiento.row(0);
    if (arma::any(etiquetas != 1.0 && etiquetas != 2.0))
        throw std::runtime_error("Mara: maralabels.bin tiene etiquetas distintas de 1 y 2");
    if (!arma::any(etiquetas == 1.0) || !arma::any(etiquetas == 2.0))
        throw std::runtime_error(std::string("Mara: maralabels.bin no tiene ninguna componente del grupo ") +
                                 (arma::any(etiquetas == 1.0) ? "2 (se conservan)" : "1 (artefactos)"));
    if (n < 8)
        throw std::runtime_error("Mara: el entrenamiento tiene " + std::to_string(n) +
                                 " componentes; hacen falta al menos 8");
    return m;
}

void guardarModeloMara(const ModeloMara& modelo, const std::filesystem::path& directorio) {
    auto guardar = [&](const auto& objeto, const char* nombre) {
        const std::filesystem::path ruta = directorio / nombre;
        if (!objeto.save(ruta.string(), arma::arma_binary))
            throw std::runtime_error("Mara: no se puede escribir " + ruta.string());
    };
    guardar(modelo.leadfield, "maraL.bin");
    guardar(modelo.patronesEntrenamiento, "marapattern.bin");
    guardar(modelo.caracteristicasEntrenamiento, "marax.bin");
    guardar(modelo.etiquetasEntrenamiento, "maralabels.bin");
}
