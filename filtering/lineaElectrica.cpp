#include "filtering/lineaElectrica.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "averaging/referencia.h"
#include "dsp/fir/disenoFIR.h"
#include "dsp/fir/filtroFaseCero.h"
#include "frecuencial/welch.h"
#include "io/textoNumerico.h"

namespace {

// MNE's defaults: a 1 Hz transition and a stop band of f / 200.
constexpr double anchoTransicion = 1.0;
constexpr double divisorAnchoBanda = 200.0;

// Sum over channels of the density, the largest bin within 0.5 Hz of f.
double picoEn(const EspectroPotencia& e, const arma::vec& suma, double f) {
    const arma::uvec cerca = arma::find(arma::abs(e.frecuencias - f) <= 0.5);
    return cerca.is_empty() ? 0.0 : suma.elem(cerca).max();
}

double vecinos(const EspectroPotencia& e, const arma::vec& suma, double f) {
    const arma::vec d = arma::abs(e.frecuencias - f);
    const arma::uvec lados = arma::find(d >= 2.0 && d <= 5.0);
    return lados.is_empty() ? 0.0 : arma::median(suma.elem(lados));
}

}  // namespace

std::vector<double> armonicosLinea(double frecuencia, int frecuenciaMuestreo) {
    if (!(frecuencia > 0) || frecuenciaMuestreo <= 0)
        throw std::invalid_argument("la frecuencia de línea y la de muestreo deben ser mayores que 0");
    std::vector<double> r;
    const double nyquist = 0.5 * frecuenciaMuestreo;
    for (double f = frecuencia; f + f / (2 * divisorAnchoBanda) + 0.5 * anchoTransicion < nyquist; f += frecuencia)
        r.push_back(f);
    return r;
}

arma::vec disenoMuescas(const std::vector<double>& frecuencias, int frecuenciaMuestreo) {
    if (frecuencias.empty() || frecuenciaMuestreo <= 0)
        throw std::invalid_argument("el filtro de línea necesita al menos una frecuencia y una frecuencia de muestreo");
    const double nyquist = 0.5 * frecuenciaMuestreo;
    // round() of 6.6 fs / 1 Hz: never a tie for a whole number of Hz.
    auto taps = static_cast<int>(std::lround(6.6 * frecuenciaMuestreo / anchoTransicion));
    if (taps % 2 == 0) ++taps;
    arma::vec b(static_cast<arma::uword>(taps), arma::fill::zeros);
    b((b.n_elem - 1) / 2) = 1.0;
    for (const double f : frecuencias) {
        const double margen = f / (2 * divisorAnchoBanda) + anchoTransicion / 4;
        if (!(f - margen > 0) || !(f + margen < nyquist))
            throw std::invalid_argument("la frecuencia de línea " + textoReal(f) + " Hz no cabe por debajo de " +
                                        textoReal(nyquist) + " Hz");
        b += disenoPasaBajos(taps - 1, (f - margen) / nyquist) - disenoPasaBajos(taps - 1, (f + margen) / nyquist);
    }
    return b;
}

int detectarFrecuenciaLinea(const arma::mat& datos, int frecuenciaMuestreo) {
    if (armonicosLinea(50.0, frecuenciaMuestreo).empty())
        throw std::invalid_argument("a " + std::to_string(frecuenciaMuestreo) +
                                    " Hz no cabe una muesca a 50 Hz por debajo de la frecuencia de Nyquist");
    const EspectroPotencia e = calcularEspectro(datos, frecuenciaMuestreo);
    const arma::vec suma = arma::sum(e.densidad, 0).t();
    double mejor = 0.0;
    int elegida = 0;
    for (const int f : {50, 60}) {
        if (armonicosLinea(f, frecuenciaMuestreo).empty()) continue;
        const double fondo = vecinos(e, suma, f), pico = picoEn(e, suma, f);
        const double cociente = fondo > 0 ? pico / fondo : 0.0;
        if (cociente > mejor) {
            mejor = cociente;
            elegida = f;
        }
    }
    if (mejor < 2.0)
        throw std::invalid_argument("el espectro de la rama no muestra ruido de línea a 50 ni a 60 Hz (el pico "
                                    "mayor no llega al doble de su entorno); indique linea:50 o linea:60");
    return elegida;
}

EEG quitarRuidoLinea(const EEG& eeg, double frecuencia, const Avance& avance) {
    if (eeg.epocas)
        throw std::invalid_argument("el filtro de línea trabaja sobre el registro continuo y esta rama está "
                                    "dividida en épocas; aplíquelo antes de cortar las épocas");
    const std::vector<double> armonicos = armonicosLinea(frecuencia, eeg.frecuenciaMuestreo);
    if (armonicos.empty())
        throw std::invalid_argument("a " + std::to_string(eeg.frecuenciaMuestreo) + " Hz no cabe una muesca a " +
                                    textoReal(frecuencia) + " Hz por debajo de la frecuencia de Nyquist");
    if (eeg.matrices.empty() || eeg.datos().n_cols == 0)
        throw std::invalid_argument("la rama no tiene muestras que filtrar");
    const arma::vec b = disenoMuescas(armonicos, eeg.frecuenciaMuestreo);

    EEG r = derivarEEG(eeg, arma::mat());
    r.matrices.clear();
    const double total = static_cast<double>(eeg.matrices.size());
    for (std::size_t i = 0; i < eeg.matrices.size(); ++i)
        r.matrices.push_back(filtrarFilasFaseCero(b, eeg.matrices[i], avance.tramo(i / total, (i + 1) / total)));
    anotarPrefiltrado(r, "N:" + textoReal(frecuencia) + "Hz");
    return r;
}
