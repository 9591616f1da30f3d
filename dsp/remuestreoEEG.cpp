#include "dsp/remuestreoEEG.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

#include "dsp/remuestreo.h"

namespace {

// Beyond this the result would dwarf the recording for no use in EEG.
constexpr int64_t ampliacionMaxima = 10;

std::shared_ptr<TablaEventos> eventosRemuestreados(const TablaEventos& tabla, const FactoresRemuestreo& f,
                                                   int64_t muestras) {
    auto r = std::make_shared<TablaEventos>(tabla);
    const int64_t ultima = std::max<int64_t>(0, muestras - 1);
    auto mover = [&](Evento& e) {
        e.posicion = static_cast<int32_t>(std::clamp<int64_t>(muestraRemuestreada(e.posicion, f.sube, f.baja), 0, ultima));
        const int64_t d = muestraRemuestreada(e.duracion, f.sube, f.baja);
        // An event that lasted keeps lasting at least a sample.
        e.duracion = static_cast<int32_t>(e.duracion > 0 ? std::max<int64_t>(1, d) : d);
    };
    for (Evento& e : r->eventos) mover(e);
    for (Evento& e : r->tipos) mover(e);
    return r;
}

}  // namespace

int64_t muestraRemuestreada(int64_t n, int sube, int baja) {
    const int64_t doble = 2 * n * sube + baja;
    const int64_t divisor = 2 * static_cast<int64_t>(baja);
    // Floor division, so that a negative duration or position rounds the same way.
    return doble >= 0 ? doble / divisor : -((-doble + divisor - 1) / divisor);
}

EEG remuestrearEEG(const EEG& eeg, int32_t frecuenciaDestino, const Avance& avance) {
    if (eeg.epocas)
        throw std::invalid_argument("el remuestreo trabaja sobre el registro continuo y esta rama está dividida en "
                                    "épocas; remuestree antes de cortar las épocas");
    const FactoresRemuestreo f = factoresRemuestreo(eeg.frecuenciaMuestreo, frecuenciaDestino);
    if (frecuenciaDestino > ampliacionMaxima * eeg.frecuenciaMuestreo)
        throw std::invalid_argument("la frecuencia de destino (" + std::to_string(frecuenciaDestino) +
                                    " Hz) pasa de 10 veces la de la rama (" + std::to_string(eeg.frecuenciaMuestreo) +
                                    " Hz)");
    EEG r = derivarEEG(eeg, arma::mat());
    r.matrices.clear();
    const double total = static_cast<double>(std::max<std::size_t>(1, eeg.matrices.size()));
    for (std::size_t i = 0; i < eeg.matrices.size(); ++i)
        r.matrices.push_back(f.sube == f.baja ? eeg.matrices[i]
                                              : remuestrearFilas(eeg.matrices[i], f.sube, f.baja,
                                                                 avance.tramo(i / total, (i + 1) / total)));
    r.frecuenciaMuestreo = frecuenciaDestino;
    r.numeroMuestras = r.matrices.empty() ? static_cast<int64_t>(muestrasRemuestreadas(
                                                static_cast<arma::uword>(eeg.numeroMuestras), f.sube, f.baja))
                                          : static_cast<int64_t>(r.matrices.front().n_cols);
    r.tiempoFin = calcularTiempoFin(r.numeroMuestras, r.frecuenciaMuestreo);
    if (eeg.tablaEventos) r.tablaEventos = eventosRemuestreados(*eeg.tablaEventos, f, r.numeroMuestras);
    return r;
}
