#include "io/reservarEEG.h"

#include <cstddef>

#include <sys/mman.h>

EEG reservarEEG(int32_t frecuencia, uint32_t canales, int64_t muestras) {
    EEG eeg(frecuencia, canales, 0);
    eeg.numeroMuestras = muestras;
    eeg.tiempoFin = calcularTiempoFin(muestras, frecuencia);
    arma::mat& m = eeg.matrices.front();
    m.set_size(canales, static_cast<arma::uword>(muestras));
#ifdef MADV_HUGEPAGE
    // Large pages make the first touch of a long recording several times
    // cheaper; the hint is harmless where the kernel ignores it.
    const size_t pagina = 4096;
    const auto inicio = reinterpret_cast<uintptr_t>(m.memptr());
    const uintptr_t desde = (inicio + pagina - 1) & ~(pagina - 1);
    const uintptr_t hasta = (inicio + m.n_elem * sizeof(double)) & ~(pagina - 1);
    if (m.n_elem * sizeof(double) >= (size_t{4} << 20) && hasta > desde) {
        madvise(reinterpret_cast<void*>(desde), hasta - desde, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
        // One call maps the whole matrix instead of one fault per page while
        // decoding; kernels without it refuse the hint and faults do the work.
        madvise(reinterpret_cast<void*>(desde), hasta - desde, MADV_POPULATE_WRITE);
#endif
    }
#endif
    return eeg;
}
