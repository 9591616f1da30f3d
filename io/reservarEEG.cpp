#include "io/reservarEEG.h"

#include <sys/mman.h>

namespace {

constexpr uintptr_t bytesPagina = 4096;
constexpr size_t minimoPaginasGrandes = size_t{4} << 20;

}  // namespace

void poblarMemoria(void* desde, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    // One call maps the range instead of one fault per page while decoding;
    // kernels without it refuse the hint and faults do the work.
    const auto inicio = reinterpret_cast<uintptr_t>(desde);
    const uintptr_t a = (inicio + bytesPagina - 1) & ~(bytesPagina - 1);
    const uintptr_t b = (inicio + bytes) & ~(bytesPagina - 1);
    if (b > a) madvise(reinterpret_cast<void*>(a), b - a, MADV_POPULATE_WRITE);
#else
    (void)desde;
    (void)bytes;
#endif
}

EEG reservarEEG(int32_t frecuencia, uint32_t canales, int64_t muestras, Poblado poblado) {
    EEG eeg(frecuencia, canales, 0);
    eeg.numeroMuestras = muestras;
    eeg.tiempoFin = calcularTiempoFin(muestras, frecuencia);
    arma::mat& m = eeg.matrices.front();
    m.set_size(canales, static_cast<arma::uword>(muestras));
    const size_t bytes = m.n_elem * sizeof(double);
    if (bytes < minimoPaginasGrandes) return eeg;
#ifdef MADV_HUGEPAGE
    // Large pages make the first touch of a long recording several times
    // cheaper; the hint is harmless where the kernel ignores it.
    const auto inicio = reinterpret_cast<uintptr_t>(m.memptr());
    const uintptr_t desde = (inicio + bytesPagina - 1) & ~(bytesPagina - 1);
    const uintptr_t hasta = (inicio + bytes) & ~(bytesPagina - 1);
    if (hasta > desde) madvise(reinterpret_cast<void*>(desde), hasta - desde, MADV_HUGEPAGE);
#endif
    if (poblado == Poblado::alReservar) poblarMemoria(m.memptr(), bytes);
    return eeg;
}
