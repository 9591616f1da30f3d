#include "mara/modelo/simulacionEntrenamiento.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "mara/caracteristicasEspaciales.h"
#include "mara/caracteristicasTiempoFrecuencia.h"
#include "mara/etiquetasMara.h"
#include "mara/modelo/azarSimulacion.h"
#include "mara/modelo/parametrosSimulacion.h"
#include "mara/modelo/senalesSimuladas.h"
#include "mara/operadorDensidadCorriente.h"

namespace P = parametrosSimulacion;

namespace {

arma::uword muestrasSimuladas() {
    return static_cast<arma::uword>(std::lround(P::duracion * P::frecuenciaMuestreo));
}

// Point at `profundidad` x R from the centre in direction `d`.
arma::vec3 puntoEn(const CabezaSimulada& cabeza, const arma::vec3& d, double profundidad) {
    return cabeza.esferas.centro + profundidad * cabeza.esferas.radioExterior * d / arma::norm(d);
}

arma::vec3 perturbada(AzarSimulacion& azar, arma::vec3 v, double dispersion) {
    for (double& x : v) x += azar.uniforme(-dispersion, dispersion);
    return v / arma::norm(v);
}

arma::vec mapaCerebral(const CabezaSimulada& cabeza, AzarSimulacion& azar) {
    const arma::cube& L = cabeza.leadfield;
    auto dipolo = [&](arma::uword s) {
        const arma::vec3 o = azar.direccion();
        return arma::vec(o(0) * L.slice(0).col(s) + o(1) * L.slice(1).col(s) + o(2) * L.slice(2).col(s));
    };
    const arma::uword s = azar.entero(L.n_cols);
    arma::vec mapa = dipolo(s);
    if (azar.probabilidad(P::probabilidadDosDipolos)) {
        const arma::vec d = arma::sqrt(arma::sum(arma::square(cabeza.fuentes.each_col() - cabeza.fuentes.col(s)), 0)).t();
        const arma::uvec vecinas = arma::find(d > 0.0 && d <= P::distanciaPareja);
        if (!vecinas.is_empty()) mapa += dipolo(vecinas(azar.entero(vecinas.n_elem)));
    }
    return mapa;
}

// Both eyes with the same orientation: vertical (up and forward) or horizontal.
arma::vec mapaOcular(const CabezaSimulada& cabeza, AzarSimulacion& azar, bool vertical) {
    const arma::vec3 base = vertical ? arma::vec3{0.0, 0.5, 1.0} : arma::vec3{1.0, 0.0, 0.0};
    const arma::vec3 momento = perturbada(azar, base, P::dispersionOrientacionOjo);
    const double profundidad = azar.uniforme(P::profundidadOjoMinima, P::profundidadOjoMaxima);
    arma::vec mapa(cabeza.electrodos.n_cols, arma::fill::zeros);
    for (double lado : {-1.0, 1.0}) {
        const arma::vec3 d = perturbada(azar, arma::vec3{lado * P::ojoLateral, P::ojoFrontal, P::ojoVertical},
                                        P::dispersionOjo);
        mapa += mapaDipolo(cabeza, puntoEn(cabeza, d, profundidad), momento);
    }
    return mapa;
}

arma::vec mapaMuscular(const CabezaSimulada& cabeza, AzarSimulacion& azar) {
    const auto& etiquetas = etiquetasLeadfield();
    const std::size_t nMusculo = std::size(P::electrodosMusculo);
    const std::string elegido = P::electrodosMusculo[azar.entero(nMusculo)];
    const auto it = std::find(etiquetas.begin(), etiquetas.end(), elegido);
    const arma::vec3 e = cabeza.electrodos.col(static_cast<arma::uword>(it - etiquetas.begin()));
    const arma::vec3 d = perturbada(azar, arma::vec3(e - cabeza.esferas.centro), 0.05);
    const double profundidad = azar.uniforme(P::profundidadMusculoMinima, P::profundidadMusculoMaxima);
    return mapaDipolo(cabeza, puntoEn(cabeza, d, profundidad), azar.direccion());
}

arma::vec mapaCanalMalo(const CabezaSimulada& cabeza, AzarSimulacion& azar) {
    const arma::uword n = cabeza.electrodos.n_cols;
    arma::vec mapa(n);
    for (double& v : mapa) v = P::ruidoMapaCanalMalo * azar.normal();
    const std::size_t nElectrodos = std::size(P::electrodosCanalMalo);
    mapa(filasLeadfield({P::electrodosCanalMalo[azar.entero(nElectrodos)]})(0)) += 1.0;
    return mapa;
}

arma::vec mapaCardiaco(const CabezaSimulada& cabeza, AzarSimulacion& azar) {
    const arma::vec3 posicion = puntoEn(cabeza, arma::vec3{0.0, 0.0, -1.0}, P::profundidadCorazon);
    const arma::vec3 momento = perturbada(azar, arma::vec3{0.0, 0.0, 1.0}, P::dispersionOrientacionCorazon);
    return mapaDipolo(cabeza, posicion, momento);
}

}  // namespace

double etiquetaMara(ClaseSimulada clase) {
    return clase == ClaseSimulada::cerebro || clase == ClaseSimulada::cerebroSinAlfa ? 2.0 : 1.0;
}

namespace {

// Sphere, electrodes and sources of the table, without the lead field.
CabezaSimulada geometria(const TablaElectrodos& tabla, arma::mat& posiciones) {
    const auto& etiquetas = etiquetasLeadfield();
    posiciones.set_size(3, etiquetas.size());
    for (std::size_t i = 0; i < etiquetas.size(); ++i) {
        const auto it = std::find(tabla.etiquetas.begin(), tabla.etiquetas.end(), etiquetas[i]);
        if (it == tabla.etiquetas.end())
            throw std::invalid_argument("la tabla de electrodos no tiene " + etiquetas[i]);
        posiciones.col(i) = tabla.posiciones.col(static_cast<arma::uword>(it - tabla.etiquetas.begin()));
    }
    CabezaSimulada c;
    c.esferas = ajustarEsfera(posiciones);
    c.electrodos = proyectarElectrodos(c.esferas, posiciones);
    c.fuentes = fuentesFibonacci(c.esferas);
    return c;
}

}  // namespace

CabezaSimulada construirCabeza(const TablaElectrodos& tabla) {
    arma::mat posiciones;
    CabezaSimulada c = geometria(tabla, posiciones);
    c.leadfield = campoConductor(c.esferas, posiciones, c.fuentes);
    return c;
}

CabezaSimulada construirCabeza(const TablaElectrodos& tabla, const arma::cube& leadfield) {
    arma::mat posiciones;
    CabezaSimulada c = geometria(tabla, posiciones);
    if (leadfield.n_rows != c.electrodos.n_cols || leadfield.n_cols != c.fuentes.n_cols || leadfield.n_slices != 3)
        throw std::invalid_argument("el campo de derivación mide " + std::to_string(leadfield.n_rows) +
                                    " x " + std::to_string(leadfield.n_cols) + " x " +
                                    std::to_string(leadfield.n_slices) + "; se espera " +
                                    std::to_string(c.electrodos.n_cols) + " x " + std::to_string(c.fuentes.n_cols) +
                                    " x 3");
    c.leadfield = leadfield;
    return c;
}

arma::vec mapaDipolo(const CabezaSimulada& cabeza, const arma::vec3& posicion, const arma::vec3& momento) {
    FactoresRadiales factores(cabeza.esferas);
    arma::vec mapa(cabeza.electrodos.n_cols);
    for (arma::uword e = 0; e < cabeza.electrodos.n_cols; ++e)
        mapa(e) = arma::dot(potencialDipolo(cabeza.esferas, factores, cabeza.electrodos.col(e), posicion), momento);
    return mapa;
}

ComponentesSimuladas simularComponentes(const CabezaSimulada& cabeza, ClaseSimulada clase, int n, uint32_t semilla) {
    AzarSimulacion azar(semilla);
    const arma::uword T = muestrasSimuladas();
    const double fs = P::frecuenciaMuestreo;
    ComponentesSimuladas c;
    c.mapas.set_size(cabeza.electrodos.n_cols, static_cast<arma::uword>(std::max(n, 0)));
    c.cursos.set_size(c.mapas.n_cols, T);
    for (arma::uword k = 0; k < c.mapas.n_cols; ++k) {
        switch (clase) {
            case ClaseSimulada::cerebro:
                c.mapas.col(k) = mapaCerebral(cabeza, azar);
                c.cursos.row(k) = actividadCerebral(azar, T, fs);
                break;
            case ClaseSimulada::cerebroSinAlfa:
                c.mapas.col(k) = mapaCerebral(cabeza, azar);
                c.cursos.row(k) = actividadCerebralSinAlfa(azar, T, fs);
                break;
            case ClaseSimulada::parpadeo:
                c.mapas.col(k) = mapaOcular(cabeza, azar, true);
                c.cursos.row(k) = trenParpadeos(azar, T, fs);
                break;
            case ClaseSimulada::movimientoOcular: {
                const bool vertical = azar.probabilidad(0.3);
                c.mapas.col(k) = mapaOcular(cabeza, azar, vertical);
                c.cursos.row(k) = sacadas(azar, T, fs);
                break;
            }
            case ClaseSimulada::musculo:
                c.mapas.col(k) = mapaMuscular(cabeza, azar);
                c.cursos.row(k) = rafagasMusculares(azar, T, fs);
                break;
            case ClaseSimulada::canalMalo:
                c.mapas.col(k) = mapaCanalMalo(cabeza, azar);
                c.cursos.row(k) = senalCanalMalo(azar, T, fs);
                break;
            case ClaseSimulada::corazon:
                c.mapas.col(k) = mapaCardiaco(cabeza, azar);
                c.cursos.row(k) = latidos(azar, T, fs);
                break;
        }
        c.clases.push_back(clase);
    }
    return c;
}

RecuentoClases recuentoEntrenamiento() {
    return {P::nCerebro, P::nParpadeo, P::nMovimientoOcular, P::nMusculo, P::nCanalMalo, P::nCorazon,
            P::nCerebroSinAlfa};
}

ComponentesSimuladas simularConjunto(const CabezaSimulada& cabeza, const RecuentoClases& recuento, uint32_t semilla) {
    ComponentesSimuladas todo;
    todo.mapas.set_size(cabeza.electrodos.n_cols, 0);
    todo.cursos.set_size(0, muestrasSimuladas());
    for (int k = 0; k < kClasesSimuladas; ++k) {
        // Distinct, fixed seeds per class: adding components of one class
        // leaves the others unchanged.
        const uint32_t s = semilla + 1000003u * static_cast<uint32_t>(k + 1);
        const ComponentesSimuladas c = simularComponentes(cabeza, static_cast<ClaseSimulada>(k), recuento[k], s);
        todo.mapas = arma::join_rows(todo.mapas, c.mapas);
        todo.cursos = arma::join_cols(todo.cursos, c.cursos);
        todo.clases.insert(todo.clases.end(), c.clases.begin(), c.clases.end());
    }
    return todo;
}

arma::mat caracteristicasSimuladas(const ComponentesSimuladas& c, const arma::uvec& filas, const arma::mat& M,
                                   uint32_t semillaAjuste) {
    const arma::uword n = c.cursos.n_rows;
    arma::mat F(6, n);
    F.rows(0, 1) = caracteristicasEspaciales(c.mapas.rows(filas), M);
    std::mt19937 generador(semillaAjuste);
    const arma::mat I = arma::eye(n, n);
    F.rows(2, 5) = caracteristicasTiempoFrecuencia(c.cursos, P::frecuenciaMuestreo, I, I, generador);
    return F;
}

ModeloMara modeloEntrenamiento(const CabezaSimulada& cabeza) {
    const ComponentesSimuladas c = simularConjunto(cabeza, recuentoEntrenamiento(), P::semillaEntrenamiento);
    const arma::uvec filas = filasLeadfield(etiquetasMara());
    ModeloMara m;
    m.leadfield = cabeza.leadfield;
    m.patronesEntrenamiento = c.mapas.rows(filas);
    m.caracteristicasEntrenamiento =
        caracteristicasSimuladas(c, filas, operadorDensidadCorriente(cabeza.leadfield, filas), P::semillaAjuste);
    m.etiquetasEntrenamiento.set_size(1, c.clases.size());
    for (std::size_t k = 0; k < c.clases.size(); ++k) m.etiquetasEntrenamiento(0, k) = etiquetaMara(c.clases[k]);
    return m;
}
