#include "io/lecturaParalela.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ArchivoCompartido::ArchivoCompartido(const std::string& ruta) : fd_(open(ruta.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat st {};
    if (fd_ >= 0 && fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) {
        tamano_ = static_cast<int64_t>(st.st_size);
    } else if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

ArchivoCompartido::~ArchivoCompartido() {
    if (fd_ >= 0) close(fd_);
}

bool leerEnPosicion(int fd, void* destino, size_t n, int64_t desde) {
    auto* d = static_cast<uint8_t*>(destino);
    while (n > 0) {
        const ssize_t r = pread(fd, d, n, static_cast<off_t>(desde));
        if (r <= 0) return false;
        d += r;
        n -= static_cast<size_t>(r);
        desde += r;
    }
    return true;
}

bool ArchivoCompartido::leer(void* destino, size_t n, int64_t desde) const {
    return leerEnPosicion(fd_, destino, n, desde);
}

void repartirEnDosHilos(int64_t total, int64_t pieza, const std::function<void(int, int64_t, int64_t)>& trabajo,
                        const std::function<void(int64_t)>& informar) {
    pieza = std::max<int64_t>(pieza, 1);
    const int64_t piezas = (total + pieza - 1) / pieza;
    std::atomic<int64_t> siguiente{0}, hechas{0};
    std::atomic<bool> parar{false};
    // Does the next piece not yet taken; false when none is left.
    const auto tomarPieza = [&](int hilo) {
        const int64_t p = siguiente.fetch_add(1, std::memory_order_relaxed);
        if (p >= piezas) return false;
        const int64_t a = p * pieza, b = std::min(total, a + pieza);
        trabajo(hilo, a, b);
        hechas.fetch_add(b - a, std::memory_order_relaxed);
        return true;
    };
    std::exception_ptr errorOtro;
    std::thread otro;
    if (piezas > 1) {
        try {
            otro = std::thread([&] {
                try {
                    while (!parar.load(std::memory_order_relaxed) && tomarPieza(1)) {
                    }
                } catch (...) {
                    errorOtro = std::current_exception();
                    parar = true;
                }
            });
        } catch (const std::system_error&) {
            // No second thread to be had: everything on this one.
        }
    }
    // Stops and joins the other thread however this one leaves.
    struct Union {
        std::thread& hilo;
        std::atomic<bool>& parar;
        ~Union() {
            parar = true;
            if (hilo.joinable()) hilo.join();
        }
    } union_{otro, parar};
    while (!parar.load(std::memory_order_relaxed) && tomarPieza(0)) informar(hechas.load(std::memory_order_relaxed));
    if (otro.joinable()) otro.join();
    if (errorOtro) std::rethrow_exception(errorOtro);
    informar(total);
}
