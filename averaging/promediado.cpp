#include "averaging/promediado.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

#include "io/textoNumero.h"

namespace {

constexpr int64_t maximo32 = std::numeric_limits<int32_t>::max();

}  // namespace

VentanaEpoca calcularVentana(int32_t frecuencia, int32_t msPrev, int32_t msPost) {
    if (frecuencia <= 0)
        throw std::invalid_argument("frecuencia de muestreo no valida (" +
                                    std::to_string(frecuencia) + " Hz)");
    if (msPrev < 0 || msPost < 0)
        throw std::invalid_argument("los milisegundos previos (" + std::to_string(msPrev) +
                                    ") y posteriores (" + std::to_string(msPost) + ") no pueden ser negativos");
    const int64_t pre = static_cast<int64_t>(frecuencia) * msPrev / 1000;
    const int64_t post = static_cast<int64_t>(frecuencia) * msPost / 1000;
    const int64_t ancho = pre + 1 + post;
    if (ancho > maximo32)
        throw std::invalid_argument("ventana de " + std::to_string(ancho) +
                                    " muestras, demasiado larga");
    return {static_cast<int32_t>(pre), static_cast<int32_t>(post), static_cast<int32_t>(ancho)};
}

int32_t milisegundosEnteros(double ms) {
    if (!std::isfinite(ms) || ms <= static_cast<double>(std::numeric_limits<int32_t>::min()) - 1.0 ||
        ms >= static_cast<double>(maximo32) + 1.0)
        throw std::invalid_argument("milisegundos fuera de rango (" + textoGeneral(ms) + ")");
    return static_cast<int32_t>(ms);
}

int32_t numeroTiposDisponibles(const TablaEventos& tabla) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(static_cast<int64_t>(tabla.tipos.size()), 0, std::max(tabla.numeroTipos, 0)));
}

ParametrosPromediado parametrosDeFilas(const TablaEventos& tabla, const std::vector<int>& filas, int32_t msPrev,
                                       int32_t msPost) {
    ParametrosPromediado p;
    p.msPrev = msPrev;
    p.msPost = msPost;
    const int32_t numeroTipos = numeroTiposDisponibles(tabla);
    for (int fila : filas) {
        if (fila < 0 || fila >= numeroTipos)
            throw std::out_of_range("la fila " + std::to_string(fila) +
                                    " no es un tipo de evento de la rama (tiene " + std::to_string(numeroTipos) +
                                    ")");
        const Evento& tipo = tabla.tipos[static_cast<size_t>(fila)];
        p.tipos.push_back(tipo.tipo);
        p.calificadores.push_back(tipo.calificador);
    }
    return p;
}

std::vector<int32_t> posicionesSeleccionadas(const TablaEventos& tabla, const std::vector<double>& tipos,
                                             const std::vector<double>& calificadores) {
    if (tipos.size() != calificadores.size())
        throw std::invalid_argument(std::to_string(tipos.size()) + " tipos y " +
                                    std::to_string(calificadores.size()) + " calificadores");
    std::vector<int32_t> posiciones;
    for (const Evento& e : tabla.eventos) {
        for (size_t k = 0; k < tipos.size(); ++k) {
            if (static_cast<double>(e.tipo) == tipos[k] && static_cast<double>(e.calificador) == calificadores[k]) {
                posiciones.push_back(e.posicion);
                break;  // a kind selected twice still takes the event once
            }
        }
    }
    return posiciones;
}

void comprobarVentanas(arma::uword muestras, const std::vector<int32_t>& posiciones, const VentanaEpoca& ventana) {
    if (ventana.pre < 0 || ventana.post < 0 || static_cast<int64_t>(ventana.ancho) != int64_t{ventana.pre} + 1 + ventana.post)
        throw std::invalid_argument("la ventana de las épocas no es válida");
    for (size_t i = 0; i < posiciones.size(); ++i) {
        const int64_t primera = static_cast<int64_t>(posiciones[i]) - ventana.pre;
        const int64_t ultima = static_cast<int64_t>(posiciones[i]) + ventana.post;
        if (primera < 0 || primera > ultima || ultima >= static_cast<int64_t>(muestras))
            throw std::out_of_range("el evento " + std::to_string(i + 1) + " (muestra " +
                                    std::to_string(posiciones[i]) + ") necesita las columnas " +
                                    std::to_string(primera) + " a " + std::to_string(ultima) +
                                    ", fuera de las " + std::to_string(muestras) + " muestras");
    }
}

arma::cube extraerEpocas(const arma::mat& X, const std::vector<int32_t>& posiciones, const VentanaEpoca& ventana,
                         const Avance& avance) {
    if (X.n_rows == 0) throw std::out_of_range("la rama no tiene canales");
    // Every window is checked before the cube is allocated: a window that
    // cannot fit is refused without reserving memory for all the epochs.
    comprobarVentanas(X.n_cols, posiciones, ventana);
    arma::cube cubo(X.n_rows, static_cast<arma::uword>(ventana.ancho), posiciones.size());
    for (size_t i = 0; i < posiciones.size(); ++i) {
        avance(static_cast<double>(i) / static_cast<double>(posiciones.size()));
        const auto primera = static_cast<arma::uword>(static_cast<int64_t>(posiciones[i]) - ventana.pre);
        cubo.slice(i) = X.cols(primera, primera + static_cast<arma::uword>(ventana.ancho) - 1);
    }
    return cubo;
}

ResultadoPromediado promediarEventos(const EEG& fuente, const ParametrosPromediado& parametros,
                                     const DestinoCubo& destino, const Avance& avance) {
    if (!fuente.tablaEventos)
        throw std::invalid_argument("la rama no tiene tabla de eventos");
    const VentanaEpoca ventana = calcularVentana(fuente.frecuenciaMuestreo, parametros.msPrev, parametros.msPost);
    const std::vector<int32_t> posiciones =
        posicionesSeleccionadas(*fuente.tablaEventos, parametros.tipos, parametros.calificadores);
    const arma::mat& X = fuente.datos();
    arma::cube epocas = extraerEpocas(X, posiciones, ventana, avance.tramo(0.0, 0.6));
    // With no epoch there is nothing to average; an empty cube file would
    // only look like a result.
    if (epocas.n_slices == 0)
        throw std::invalid_argument("ningun evento de los tipos elegidos en la rama");

    ResultadoPromediado resultado;
    resultado.numeroEpocas = epocas.n_slices;
    avance(0.6);
    resultado.archivoCubo = guardarCuboPromediado(epocas, destino);
    // Past this point a cancellation must take the cube file with it.
    try {
        avance(1.0);
    } catch (...) {
        std::error_code ignorado;
        if (!resultado.archivoCubo.empty()) std::filesystem::remove(resultado.archivoCubo, ignorado);
        throw;
    }

    arma::cube mediaCubo = arma::mean(epocas, 2);
    arma::mat media = mediaCubo.slice(0);
    epocas.reset();

    EEG& promedio = resultado.promedio;
    promedio = derivarEEG(fuente, arma::mat());
    promedio.matrices.front() = std::move(media);
    promedio.numeroMatrices = 1;
    promedio.numeroMuestras = ventana.ancho;
    promedio.tiempoInicio = static_cast<double>(parametros.msPrev) / 1000.0;
    promedio.tiempoFin = calcularTiempoFin(ventana.ancho, fuente.frecuenciaMuestreo) + promedio.tiempoInicio;
    promedio.tablaEventos.reset();
    return resultado;
}
