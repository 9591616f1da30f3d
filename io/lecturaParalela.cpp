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
    int64_t mitad = std::min(total, (piezas + 1) / 2 * pieza);
    std::atomic<int64_t> hechasOtro{0};
    std::atomic<bool> parar{false};
    std::exception_ptr errorOtro;
    std::thread otro;
    const auto otraMitad = [&, desde = mitad] {
        try {
            for (int64_t a = desde; a < total && !parar.load(std::memory_order_relaxed); a += pieza) {
                const int64_t b = std::min(total, a + pieza);
                trabajo(1, a, b);
                hechasOtro.fetch_add(b - a, std::memory_order_relaxed);
            }
        } catch (...) {
            errorOtro = std::current_exception();
        }
    };
    if (mitad < total) {
        try {
            otro = std::thread(otraMitad);
        } catch (const std::system_error&) {
            mitad = total;  // no second thread to be had: everything on this one
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
    for (int64_t a = 0; a < mitad; a += pieza) {
        const int64_t b = std::min(mitad, a + pieza);
        trabajo(0, a, b);
        informar(b + hechasOtro.load(std::memory_order_relaxed));
    }
    if (otro.joinable()) otro.join();
    if (errorOtro) std::rethrow_exception(errorOtro);
    informar(total);
}
