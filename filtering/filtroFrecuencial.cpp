#include "filtering/filtroFrecuencial.h"

#include <cmath>

#include "dsp/fir/fir.h"
#include "io/textoNumero.h"

namespace {

std::string hz(double x) { return textoGeneral(x, 6) + " Hz"; }

[[noreturn]] void rechazar(const std::string& motivo) { throw ParametrosFiltroNoValidos("filtrarEEG: " + motivo); }

}  // namespace

void validarOpcionesFiltro(const EEG& eeg, const OpcionesFiltro& op) {
    const int fs = eeg.frecuenciaMuestreo;
    if (fs <= 0)
        rechazar("la frecuencia de muestreo de la rama (" + std::to_string(fs) +
                 " Hz) no es válida; debe ser mayor que 0");
    if (eeg.matrices.empty() || eeg.matrices.front().n_elem == 0 || eeg.numeroMuestras <= 0)
        rechazar("la rama seleccionada no tiene muestras; no hay datos sobre los que aplicar el filtro");

    const double nyquist = 0.5 * fs;
    // Negated comparisons so that NaN limits are refused too.
    if (!(op.frecInferior > 0.0)) rechazar("el límite inferior (" + hz(op.frecInferior) + ") debe ser mayor que 0 Hz");
    if (!(op.frecSuperior > op.frecInferior))
        rechazar("el límite superior (" + hz(op.frecSuperior) + ") debe ser mayor que el límite inferior (" +
                 hz(op.frecInferior) + "): el orden del filtro depende de la separación entre ambos");
    if (!(op.frecSuperior < nyquist))
        rechazar("el límite superior (" + hz(op.frecSuperior) +
                 ") debe ser menor que la mitad de la frecuencia de muestreo (" + hz(nyquist) + ")");

    const double orden = ordenBaseFIR(op.frecInferior, op.frecSuperior, fs, op.caidaDecibelios);
    if (!(orden >= 1.0))
        rechazar("con una caída de " + std::to_string(op.caidaDecibelios) + " dB y límites separados " +
                 hz(op.frecSuperior - op.frecInferior) + " el orden del filtro sería " +
                 std::to_string(static_cast<long long>(orden)) +
                 " (debe ser al menos 1); aumente la caída en decibelios o acerque los límites");
    if (orden > ordenMaximoFIR - 1)
        rechazar("el filtro tendría orden " + std::to_string(static_cast<long long>(orden)) +
                 ", mayor que el máximo admitido (" + std::to_string(ordenMaximoFIR - 1) +
                 "); separe más los límites o reduzca la caída en decibelios");
}

EEG filtrarEEG(const EEG& eeg, const OpcionesFiltro& op) {
    validarOpcionesFiltro(eeg, op);

    FiltroFIR diseno;
    disenarFiltroFIR(diseno, op.frecInferior, op.frecSuperior, eeg.frecuenciaMuestreo, op.caidaDecibelios,
                     nombreTipoFiltro(op.tipo));
    // A filter longer than the signal never reaches its steady state on it,
    // and its cost grows with both: refuse rather than run for hours.
    if (static_cast<int64_t>(diseno.numeroCoeficientes) > eeg.numeroMuestras)
        rechazar("el filtro necesitaría " + std::to_string(diseno.numeroCoeficientes) +
                 " coeficientes y la rama solo tiene " + std::to_string(eeg.numeroMuestras) +
                 " muestras por canal; separe más los límites o reduzca la caída en decibelios");

    EEG resultado = derivarEEG(eeg, arma::mat());
    resultado.matrices.clear();
    FiltroFIR filtro = diseno;  // one running copy for the whole branch
    for (const arma::mat& datos : eeg.matrices) resultado.matrices.push_back(filtrarFilasFIR(filtro, datos));
    return resultado;
}
