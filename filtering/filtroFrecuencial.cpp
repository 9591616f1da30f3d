#include "filtering/filtroFrecuencial.h"

#include <cmath>

#include "dsp/fir/fir.h"
#include "io/diagnostico.h"
#include "io/textoNumero.h"

namespace {

std::string hz(double x) { return textoGeneral(x, 6) + " Hz"; }

[[noreturn]] void rechazar(const std::string& motivo) { throw ParametrosFiltroNoValidos(motivo); }

// The advice of a refusal for a filter too long: move the limit that fixes
// the transition width (a wider transition gives a shorter filter).
std::string queCambiar(const RamaFiltrable& rama, const OpcionesFiltro& op) {
    const int fs = rama.frecuenciaMuestreo;
    const double ancho = anchoTransicionFIR(op.tipo, op.frecInferior, op.frecSuperior, fs);
    std::string consejo;
    switch (limiteTransicionFIR(op.tipo, op.frecInferior, op.frecSuperior, fs)) {
        case LimiteTransicion::separacion:
            consejo = "separe más el límite inferior (" + hz(op.frecInferior) + ") y el superior (" +
                      hz(op.frecSuperior) + "), que fijan una transición de " + hz(ancho);
            break;
        case LimiteTransicion::inferior:
            consejo = "suba el límite inferior (" + hz(op.frecInferior) + "), que fija una transición de " + hz(ancho);
            break;
        case LimiteTransicion::corteCercaDeNyquist:
            consejo = "baje el límite inferior (" + hz(op.frecInferior) +
                      "), que por su cercanía a la mitad de la frecuencia de muestreo fija una transición de " +
                      hz(ancho);
            break;
        case LimiteTransicion::superior:
            consejo = "baje el límite superior (" + hz(op.frecSuperior) +
                      "), que por su cercanía a la mitad de la frecuencia de muestreo fija una transición de " +
                      hz(ancho);
            break;
    }
    return consejo + ", o reduzca la caída en decibelios";
}

}  // namespace

RamaFiltrable ramaFiltrable(const EEG& eeg) {
    RamaFiltrable r;
    r.frecuenciaMuestreo = eeg.frecuenciaMuestreo;
    const bool hayMuestras = !eeg.matrices.empty() && eeg.matrices.front().n_elem > 0 && eeg.numeroMuestras > 0;
    r.numeroMuestras = hayMuestras ? eeg.numeroMuestras : 0;
    if (hayMuestras && eeg.epocas) {
        r.numeroMuestras = eeg.epocas->ancho;
        r.porEpoca = true;
    }
    return r;
}

void validarOpcionesFiltro(const RamaFiltrable& rama, const OpcionesFiltro& op) {
    const int fs = rama.frecuenciaMuestreo;
    if (fs <= 0)
        rechazar("la frecuencia de muestreo de la rama (" + std::to_string(fs) +
                 " Hz) no es válida; debe ser mayor que 0");
    if (rama.numeroMuestras <= 0)
        rechazar("la rama seleccionada no tiene muestras; no hay datos sobre los que aplicar el filtro");
    const int codigo = static_cast<int>(op.tipo);
    if (codigo < 0 || codigo > 3)
        rechazar("tipo de filtro desconocido (código " + std::to_string(codigo) + "); los tipos son 0 a 3");

    const double nyquist = 0.5 * fs;
    // Negated comparisons so that NaN limits are refused too.
    if (!(op.frecInferior > 0.0)) rechazar("el límite inferior (" + hz(op.frecInferior) + ") debe ser mayor que 0 Hz");
    if (!(op.frecSuperior > op.frecInferior))
        rechazar("el límite superior (" + hz(op.frecSuperior) + ") debe ser mayor que el límite inferior (" +
                 hz(op.frecInferior) + "): el orden del filtro depende de ambos");
    if (!(op.frecSuperior < nyquist))
        rechazar("el límite superior (" + hz(op.frecSuperior) +
                 ") debe ser menor que la mitad de la frecuencia de muestreo (" + hz(nyquist) + ")");

    const double orden = ordenBaseFIR(op.tipo, op.frecInferior, op.frecSuperior, fs, op.caidaDecibelios);
    if (!(orden >= 1.0))
        rechazar("con una caída de " + std::to_string(op.caidaDecibelios) + " dB y una transición de " +
                 hz(anchoTransicionFIR(op.tipo, op.frecInferior, op.frecSuperior, fs)) +
                 " el orden del filtro sería " + std::to_string(static_cast<long long>(orden)) +
                 " (debe ser al menos 1); aumente la caída en decibelios");
    if (orden > ordenMaximoFIR - 1)
        rechazar("el filtro tendría orden " + std::to_string(static_cast<long long>(orden)) +
                 ", mayor que el máximo admitido (" + std::to_string(ordenMaximoFIR - 1) + "); " +
                 queCambiar(rama, op));
}

void validarOpcionesFiltro(const EEG& eeg, const OpcionesFiltro& op) { validarOpcionesFiltro(ramaFiltrable(eeg), op); }

FiltroFIR disenarFiltroRama(const RamaFiltrable& rama, const OpcionesFiltro& op) {
    validarOpcionesFiltro(rama, op);
    FiltroFIR diseno;
    disenarFiltroFIR(diseno, op.frecInferior, op.frecSuperior, rama.frecuenciaMuestreo, op.caidaDecibelios, op.tipo);
    // A filter longer than the signal never reaches its steady state on it,
    // and its cost grows with both: refuse rather than run for hours.
    if (static_cast<int64_t>(diseno.numeroCoeficientes) > rama.numeroMuestras)
        rechazar("el filtro necesitaría " + std::to_string(diseno.numeroCoeficientes) +
                 " coeficientes y la rama solo tiene " + std::to_string(rama.numeroMuestras) +
                 (rama.porEpoca ? " muestras por época; " : " muestras por canal; ") + queCambiar(rama, op));
    return diseno;
}

EEG filtrarEEG(const EEG& eeg, const OpcionesFiltro& op, const Avance& avance) {
    const FiltroFIR filtro = disenarFiltroRama(ramaFiltrable(eeg), op);
    diagnostico("filtro " + nombreTipoFiltro(op.tipo) + " " + textoGeneral(op.frecInferior, 6) + "-" +
                textoGeneral(op.frecSuperior, 6) + " Hz: " + std::to_string(filtro.numeroCoeficientes) +
                " coeficientes (" + textoGeneral(filtro.numeroCoeficientes / static_cast<double>(eeg.frecuenciaMuestreo), 3) +
                " s), fase cero, cada canal por separado");

    EEG resultado = derivarEEG(eeg, arma::mat());
    resultado.matrices.clear();
    double muestras = 0.0;
    for (const arma::mat& datos : eeg.matrices) muestras += static_cast<double>(datos.n_elem);
    double hechas = 0.0;
    if (eeg.epocas) {
        // Each epoch on its own, its ends reflected like a recording's: no
        // sample of one epoch leaks into the next.
        const arma::mat& datos = eeg.datos();
        const auto ancho = static_cast<arma::uword>(eeg.epocas->ancho);
        arma::mat filtrados(datos.n_rows, datos.n_cols);
        const std::size_t E = eeg.epocas->numero();
        for (std::size_t e = 0; e < E; ++e) {
            const arma::span columnas(e * ancho, (e + 1) * ancho - 1);
            filtrados.cols(columnas) = filtrarFilasFaseCero(filtro.coeficientes, datos.cols(columnas),
                                                            avance.tramo(double(e) / double(E), double(e + 1) / double(E)));
        }
        resultado.matrices.push_back(std::move(filtrados));
        return resultado;
    }
    for (const arma::mat& datos : eeg.matrices) {
        const double desde = muestras > 0.0 ? hechas / muestras : 0.0;
        hechas += static_cast<double>(datos.n_elem);
        const double hasta = muestras > 0.0 ? hechas / muestras : 1.0;
        resultado.matrices.push_back(filtrarFilasFaseCero(filtro.coeficientes, datos, avance.tramo(desde, hasta)));
    }
    return resultado;
}
