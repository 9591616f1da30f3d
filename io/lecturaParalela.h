#pragma once
// What the readers of large recordings share to decode at memory speed: a
// file that several threads read at once (each read names its own offset)
// and the decoding split over two threads, with progress reported and
// cancellation heard on the calling thread only.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Reads exactly `n` bytes of the open file `fd` at offset `desde`, without
// moving its position (threads may share fd); false when the file cannot
// give them.
bool leerEnPosicion(int fd, void* destino, size_t n, int64_t desde);

// A regular file open for reading at given offsets, from any thread.
class ArchivoCompartido {
public:
    explicit ArchivoCompartido(const std::string& ruta);  // valido() false when it cannot be opened
    ~ArchivoCompartido();
    ArchivoCompartido(const ArchivoCompartido&) = delete;
    ArchivoCompartido& operator=(const ArchivoCompartido&) = delete;

    bool valido() const { return fd_ >= 0; }
    int64_t tamano() const { return tamano_; }
    // Reads exactly `n` bytes at `desde`; false when the file cannot give them.
    bool leer(void* destino, size_t n, int64_t desde) const;

private:
    int fd_ = -1;
    int64_t tamano_ = 0;
};

// Calls trabajo(hilo, desde, hasta) over consecutive pieces of [0, total) of
// at most `pieza` units each, on the calling thread (hilo 0) and on another
// one (hilo 1): each takes the next piece not yet taken whenever it is free,
// so that a thread slowed by other work on its core takes fewer. trabajo
// must only touch what its own units and its own hilo own. informar(hechas)
// is called on the calling thread after each of its pieces, with the units
// both threads have finished, and last with `total`; when it or trabajo
// throws (Cancelado), the other thread stops at its next piece and is joined
// before the exception leaves.
void repartirEnDosHilos(int64_t total, int64_t pieza,
                        const std::function<void(int hilo, int64_t desde, int64_t hasta)>& trabajo,
                        const std::function<void(int64_t hechas)>& informar);
