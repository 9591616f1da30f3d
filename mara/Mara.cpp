#include "mara/Mara.h"

#include <ctime>
#include <random>
#include <stdexcept>
#include <vector>

#include "mara/adaptacionEntrenamiento.h"
#include "mara/caracteristicasEspaciales.h"
#include "mara/caracteristicasTiempoFrecuencia.h"
#include "mara/clasificarLineal.h"
#include "mara/directorioEjecutable.h"
#include "mara/operadorDensidadCorriente.h"

namespace {

std::vector<std::string> etiquetasDe(const EEG& eeg) {
    std::vector<std::string> v;
    for (const Canal& c : *eeg.canales) v.push_back(c.etiqueta);
    return v;
}

}  // namespace

Mara::Mara(const EEG& registro) : Mara(registro, directorioEjecutable()) {}

Mara::Mara(const EEG& registro, const std::filesystem::path& directorioModelos)
    : registro(&registro), datos(&registro.datos()), modelo_(cargarModeloMara(directorioModelos)) {}

void Mara::comprobarEntrada() const {
    const arma::uword C = datos->n_rows;
    if (C == 0 || datos->n_cols == 0)
        throw std::invalid_argument("Mara: el registro no tiene datos");
    if (registro->canales->size() != C)
        throw std::invalid_argument("Mara: el registro tiene " + std::to_string(registro->canales->size()) +
                                    " canales descritos y " + std::to_string(C) + " filas de datos");
    const arma::uword n = emparejarCanales(etiquetasDe(*registro)).canalesEmparejados.n_elem;
    if (n < 2)
        throw std::invalid_argument("Mara: solo " + std::to_string(n) +
                                    " canales tienen una etiqueta del entrenamiento; hacen falta al menos 2");
    comprobarEntradaTiempoFrecuencia(static_cast<int64_t>(datos->n_cols), registro->frecuenciaMuestreo);
}

EEG Mara::procesar(const arma::mat& W, const arma::mat& S) {
    comprobarEntrada();
    const arma::mat& X = *datos;
    const arma::uword C = X.n_rows;
    if (W.n_rows == 0 || W.n_rows > C || W.n_cols != C || S.n_rows != C || S.n_cols != C)
        throw std::invalid_argument("Mara: pesos " + std::to_string(W.n_rows) + "x" + std::to_string(W.n_cols) +
                                    " y esfera " + std::to_string(S.n_rows) + "x" + std::to_string(S.n_cols) +
                                    " para " + std::to_string(C) + " canales");
    mezcla_ = arma::pinv(W * S);

    emparejamiento_ = emparejarCanales(etiquetasDe(*registro));
    const arma::mat M =
        operadorDensidadCorriente(modelo_.leadfield, filasLeadfield(emparejamiento_.etiquetas));
    const arma::mat P = mezcla_.rows(emparejamiento_.canalesEmparejados);
    const arma::uword Q = W.n_rows;
    if (avisar) avisar("patterns " + std::to_string(Q) + " " + std::to_string(P.n_rows));

    const Avance avanceCaracteristicas = avance.tramo(fraccionICA, 0.95, "características");
    avanceCaracteristicas(0.0);
    std::mt19937 generador(semilla ? *semilla : static_cast<uint32_t>(std::time(nullptr)));
    const arma::mat espaciales = caracteristicasEspaciales(P, M);
    avanceCaracteristicas(0.05);
    const arma::mat tiempoFrecuencia = caracteristicasTiempoFrecuencia(X, registro->frecuenciaMuestreo, W, S, generador,
                                                                       avanceCaracteristicas.tramo(0.05, 1.0));
    if (avisar) avisar(std::to_string(espaciales.n_cols) + " " + std::to_string(espaciales.n_rows));
    caracteristicas_ = arma::join_cols(espaciales, tiempoFrecuencia);

    avance.tramo(0.95, 1.0, "clasificador")(0.0);
    adaptarEntrenamiento(modelo_.patronesEntrenamiento, emparejamiento_.indicesEtiqueta, M,
                         modelo_.caracteristicasEntrenamiento);
    const ClasificacionLineal clasificacion =
        clasificarLineal(caracteristicas_.t(), modelo_.caracteristicasEntrenamiento.t(),
                         modelo_.etiquetasEntrenamiento.row(0));
    artefactos_ = arma::find(clasificacion.clases == 0);
    probabilidades_ = clasificacion.posterior.col(0);
    avance.tramo(0.95, 1.0, "clasificador")(1.0);

    if (artefactos_.is_empty()) return derivarEEG(*registro, X);
    return reconstruirSinArtefactos(artefactos_, W, S);
}

EEG Mara::reconstruirSinArtefactos(const arma::uvec& artefactos, const arma::mat& W, const arma::mat& S) {
    const arma::mat& X0 = *datos;
    const arma::uword Q = W.n_rows;
    if (W.n_cols != X0.n_rows || S.n_rows != X0.n_rows || S.n_cols != X0.n_rows)
        throw std::invalid_argument("pesos y esfera no encajan con los datos");
    if (!artefactos.is_empty() && artefactos.max() >= Q)
        throw std::invalid_argument("componente " + std::to_string(artefactos.max()) +
                                    " fuera de las " + std::to_string(Q) + " componentes");
    if (mezcla_.n_rows != X0.n_rows || mezcla_.n_cols != Q) mezcla_ = arma::pinv(W * S);

    std::vector<arma::uword> buenos;
    for (arma::uword q = 0; q < Q; ++q)
        if (!arma::any(artefactos == q)) buenos.push_back(q);
    const arma::uvec b(buenos);

    const arma::mat act = W.rows(b) * S * X0;
    return derivarEEG(*registro, mezcla_.cols(b) * act);
}
