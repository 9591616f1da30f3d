#include "mara/revisionComponentes.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "frecuencial/welch.h"
#include "io/descomposicionICA.h"
#include "io/textoNumero.h"
#include "mara/quitarComponentes.h"

namespace {

void comprobarActivaciones(const EEG& activaciones) {
    if (!activaciones.descomposicion)
        throw std::invalid_argument("la rama no es de componentes de ICA (no tiene descomposición)");
    const arma::mat& X = activaciones.datos();
    if (X.n_cols == 0) throw std::invalid_argument("la rama no tiene muestras");
    if (X.n_rows != activaciones.descomposicion->componentes())
        throw std::invalid_argument("la rama tiene " + std::to_string(X.n_rows) +
                                    " filas y su descomposición " +
                                    std::to_string(activaciones.descomposicion->componentes()) + " componentes");
    if (activaciones.frecuenciaMuestreo <= 0)
        throw std::invalid_argument("la frecuencia de muestreo no es positiva");
}

// Min and max of each of `columnas` equal stretches of x: the envelope a
// plot of that many pixels would show, whatever the record's length.
void envolvente(const arma::rowvec& x, arma::uword columnas, double signo, arma::subview_col<double> minimos,
                arma::subview_col<double> maximos) {
    const arma::uword n = x.n_elem;
    for (arma::uword k = 0; k < columnas; ++k) {
        const arma::uword desde = k * n / columnas;
        const arma::uword hasta = std::max(desde + 1, (k + 1) * n / columnas);
        const arma::rowvec tramo = signo * x.cols(desde, std::min(hasta, n) - 1);
        minimos(k) = tramo.min();
        maximos(k) = tramo.max();
    }
}

}  // namespace

RevisionComponentes prepararRevision(const EEG& activaciones, const OpcionesRevision& opciones,
                                     const Avance& avance) {
    comprobarActivaciones(activaciones);
    const DescomposicionICA& d = *activaciones.descomposicion;
    const arma::mat& S = activaciones.datos();
    const arma::uword Q = S.n_rows, T = S.n_cols;
    const arma::mat A = d.mezcla();  // C x Q

    RevisionComponentes r;
    const arma::vec potencia = arma::sum(arma::square(A), 0).t() % arma::var(S, 1, 1);
    const double total = arma::accu(potencia);
    r.varianza = total > 0.0 ? arma::vec(potencia / total) : arma::vec(arma::vec(Q).fill(1.0 / static_cast<double>(Q)));
    r.orden = arma::stable_sort_index(r.varianza, "descend");
    r.segundos = static_cast<double>(T) / activaciones.frecuenciaMuestreo;

    // Sign: the largest electrode value positive, so that a blink reads the
    // same whichever sign the ICA gave it.
    r.signos = arma::ones(Q);
    for (arma::uword q = 0; q < Q; ++q)
        if (A(arma::abs(A.col(q)).index_max(), q) < 0.0) r.signos(q) = -1.0;

    // Maps: the channels with a position, when at least 4 have one.
    std::vector<std::array<double, 3>> posiciones;
    std::vector<arma::uword> conPosicion;
    for (arma::uword c = 0; d.canales && c < d.canales->size(); ++c)
        if ((*d.canales)[c].localizacion) {
            posiciones.push_back(*(*d.canales)[c].localizacion);
            conPosicion.push_back(c);
        }
    std::optional<InterpolacionMapa> interpolacion;
    if (posiciones.size() >= 4) {
        try {
            interpolacion.emplace(posiciones, opciones.ladoMapa);
        } catch (const std::invalid_argument&) {
            interpolacion.reset();  // positions that do not span the head: no maps, the rest still shown
        }
    }
    if (interpolacion) {
        r.rejilla = interpolacion->rejilla();
        r.electrodos = interpolacion->electrodos();
        r.mapas.set_size(opciones.ladoMapa * opciones.ladoMapa, Q);
    }
    const arma::uvec filasPosicion = arma::conv_to<arma::uvec>::from(conPosicion);

    // Spectra: Welch with ~2 s Hann segments (the whole record when shorter).
    const arma::uword L = std::min<arma::uword>(muestrasSegmento(activaciones.frecuenciaMuestreo), T);
    PlanWelch plan{ventanaHann(L), L, static_cast<double>(activaciones.frecuenciaMuestreo), true};
    TrabajoWelch trabajo;
    r.frecuencias = frecuenciasWelch(L, plan.frecuencia);
    r.espectroDb.set_size(r.frecuencias.n_elem, Q);

    const arma::uword columnas = std::max<arma::uword>(1, std::min(opciones.columnasTraza, T));
    r.minimos.set_size(columnas, Q);
    r.maximos.set_size(columnas, Q);

    for (arma::uword q = 0; q < Q; ++q) {
        const arma::rowvec s = S.row(q);
        if (interpolacion) {
            const arma::vec valores = r.signos(q) * arma::vec(A.col(q)).elem(filasPosicion);
            r.mapas.col(q) = arma::vectorise(interpolacion->interpolar(valores));
        }
        // A floor far below any real power keeps log10 finite for a flat component.
        const arma::vec densidad = densidadWelch(s.memptr(), T, plan, trabajo);
        r.espectroDb.col(q) = 10.0 * arma::log10(arma::clamp(densidad, 1e-300, arma::datum::inf));
        envolvente(s, columnas, r.signos(q), r.minimos.col(q), r.maximos.col(q));
        avance(q + 1.0, static_cast<double>(Q));
    }
    return r;
}

arma::mat mapaComponente(const RevisionComponentes& r, arma::uword q, arma::uword lado) {
    return arma::reshape(r.mapas.col(q), lado, lado);
}

arma::mat imagenEpocas(const EEG& activaciones, const RevisionComponentes& r, arma::uword q) {
    if (!activaciones.epocas || activaciones.epocas->ancho < 1) return {};
    const auto ancho = static_cast<arma::uword>(activaciones.epocas->ancho);
    const arma::uword E = activaciones.epocas->numero();
    const arma::mat& S = activaciones.datos();
    if (E == 0 || q >= S.n_rows || S.n_cols != ancho * E) return {};
    // The epochs lie side by side in the row: column blocks of ancho samples.
    return r.signos(q) * arma::reshape(arma::rowvec(S.row(q)), ancho, E).t();
}

std::string textoComponente(const InformeMara& voto, arma::uword q) {
    static const char* const nombres[] = {"norma de la densidad de corriente", "rango del patrón",
                                          "asimetría local",                   "λ (caída 1/f)",
                                          "alfa 8–13 Hz (dB)",                 "error del ajuste 1/f"};
    std::string t = "probabilidad de artefacto " + textoFijo(voto.probabilidades(q), 2);
    for (arma::uword f = 0; f < voto.caracteristicas.n_rows && f < 6; ++f)
        t += std::string("\n") + nombres[f] + ": " + textoGeneral(voto.caracteristicas(f, q), 4);
    return t;
}

std::string origenEleccion(const std::optional<InformeMara>& voto, const std::vector<arma::uword>& quitar) {
    std::vector<arma::uword> deMara, aMano;
    for (const arma::uword n : quitar) {
        const bool votada = voto && arma::any(voto->quitadas == n - 1);
        (votada ? deMara : aMano).push_back(n);
    }
    std::string t;
    if (!deMara.empty()) t = "MARA " + textoComponentes(deMara);
    if (!aMano.empty()) t += (t.empty() ? "" : "; ") + std::string("manual ") + textoComponentes(aMano);
    return t;
}
