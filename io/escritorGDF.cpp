#include "io/escritorGDF.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "io/fechaHora.h"

namespace {

// Little-endian field writers over a byte buffer.
class Cabecera {
public:
    void texto(const std::string& t, size_t ancho, char relleno = ' ') {
        std::string campo = t.substr(0, ancho);
        campo.resize(ancho, relleno);
        bytes_.insert(bytes_.end(), campo.begin(), campo.end());
    }
    template <typename T>
    void numero(T v) {
        unsigned char b[sizeof(T)];
        std::memcpy(b, &v, sizeof(T));  // x86-64 and every platform we build on is little-endian
        bytes_.insert(bytes_.end(), b, b + sizeof(T));
    }
    const std::vector<unsigned char>& bytes() const { return bytes_; }

private:
    std::vector<unsigned char> bytes_;
};

// The 256-byte fixed header of version 1.25.
void cabeceraFija(Cabecera& c, const EEG& eeg, uint32_t ns, int64_t registros) {
    c.texto("GDF 1.25", 8);
    c.texto(eeg.sujeto, 80);
    c.texto(eeg.identificacionRegistro, 80);
    c.texto(campoFechaGDF1(eeg.fechaHora), 16);  // blanks when the start is unknown
    c.numero<int64_t>(256 * (static_cast<int64_t>(ns) + 1));
    c.numero<uint64_t>(eeg.idEquipo);
    c.numero<uint64_t>(eeg.idLaboratorio);
    c.numero<uint64_t>(eeg.idTecnico);
    c.texto(eeg.reservado, 20, '\0');
    c.numero<int64_t>(registros);
    c.numero<uint32_t>(1);  // record duration 1 / fs seconds
    c.numero<uint32_t>(static_cast<uint32_t>(eeg.frecuenciaMuestreo));
    c.numero<uint32_t>(ns);
}

// The channel headers, each field an array over the channels.
void cabecerasCanales(Cabecera& c, const EEG& eeg) {
    const arma::mat& datos = eeg.datos();
    const uint32_t ns = static_cast<uint32_t>(datos.n_rows);
    auto canal = [&](uint32_t i) -> Canal {
        return (eeg.canales && i < eeg.canales->size()) ? (*eeg.canales)[i] : Canal{};
    };
    // Digital and physical ranges are equal, so readers that scale by them
    // (gain (pmax - pmin) / (dmax - dmin) = 1, offset 0) leave the float samples
    // as they are. The range covers the channel's finite values, within what
    // the 64-bit digital fields hold.
    std::vector<double> limite(ns);
    for (uint32_t i = 0; i < ns; ++i) {
        double m = 0.0;
        for (const double v : datos.row(i))
            if (std::isfinite(v)) m = std::max(m, std::abs(v));
        limite[i] = std::clamp(std::ceil(m), 1.0, 1e18);
    }
    for (uint32_t i = 0; i < ns; ++i) c.texto(canal(i).etiqueta, 16);
    for (uint32_t i = 0; i < ns; ++i) c.texto(canal(i).transductor, 80);
    for (uint32_t i = 0; i < ns; ++i) c.texto(canal(i).unidad.empty() ? "uV" : canal(i).unidad, 8);
    for (uint32_t i = 0; i < ns; ++i) c.numero<double>(-limite[i]);
    for (uint32_t i = 0; i < ns; ++i) c.numero<double>(limite[i]);
    for (uint32_t i = 0; i < ns; ++i) c.numero<int64_t>(static_cast<int64_t>(-limite[i]));
    for (uint32_t i = 0; i < ns; ++i) c.numero<int64_t>(static_cast<int64_t>(limite[i]));
    for (uint32_t i = 0; i < ns; ++i) c.texto(canal(i).prefiltrado, 80);
    for (uint32_t i = 0; i < ns; ++i) c.numero<uint32_t>(1);
    for (uint32_t i = 0; i < ns; ++i) c.numero<uint32_t>(16);
    for (uint32_t i = 0; i < ns; ++i) c.texto("", 32, '\0');
}

// Data records: one float per channel and sample, written a block of
// samples at a time.
void escribirDatos(const arma::mat& datos, std::ostream& salida, const Avance& avance) {
    constexpr arma::uword muestrasPorBloque = 16384;
    arma::fmat muestras;
    for (arma::uword desde = 0; desde < datos.n_cols; desde += muestrasPorBloque) {
        const arma::uword hasta = std::min<arma::uword>(datos.n_cols, desde + muestrasPorBloque) - 1;
        muestras = arma::conv_to<arma::fmat>::from(datos.cols(desde, hasta));  // column-major: channel fastest
        salida.write(reinterpret_cast<const char*>(muestras.memptr()),
                     static_cast<std::streamsize>(muestras.n_elem * sizeof(float)));
        avance(static_cast<double>(hasta + 1), static_cast<double>(datos.n_cols));
    }
}

// The event table, mode 3 when the record's is, mode 1 otherwise.
void escribirEventos(const EEG& eeg, std::ostream& salida) {
    Cabecera e;
    const TablaEventos* tabla = eeg.tablaEventos.get();
    const uint32_t n = tabla ? static_cast<uint32_t>(tabla->eventos.size()) : 0;
    const bool modo3 = tabla && tabla->modo == 3;
    e.numero<uint8_t>(modo3 ? 3 : 1);
    const uint32_t fs = static_cast<uint32_t>(eeg.frecuenciaMuestreo);
    e.numero<uint8_t>(fs & 0xFF);
    e.numero<uint8_t>((fs >> 8) & 0xFF);
    e.numero<uint8_t>((fs >> 16) & 0xFF);
    e.numero<uint32_t>(n);
    // GDF counts samples from 1; our positions are matrix columns, from 0 (the
    // reader subtracts the one we add here).
    for (uint32_t i = 0; i < n; ++i) {
        const int64_t posicion = static_cast<int64_t>(tabla->eventos[i].posicion) + 1;
        e.numero<uint32_t>(static_cast<uint32_t>(std::clamp<int64_t>(posicion, 0, UINT32_MAX)));
    }
    for (uint32_t i = 0; i < n; ++i) e.numero<uint16_t>(static_cast<uint16_t>(tabla->eventos[i].tipo));
    if (modo3) {
        for (uint32_t i = 0; i < n; ++i) e.numero<uint16_t>(static_cast<uint16_t>(tabla->eventos[i].canal));
        for (uint32_t i = 0; i < n; ++i) e.numero<uint32_t>(static_cast<uint32_t>(tabla->eventos[i].duracion));
    }
    salida.write(reinterpret_cast<const char*>(e.bytes().data()), static_cast<std::streamsize>(e.bytes().size()));
}

}  // namespace

void escribirGDF(const EEG& eeg, std::ostream& salida, const Avance& avance) {
    if (eeg.matrices.empty() || eeg.numeroCanales == 0)
        throw std::invalid_argument("no se puede guardar en GDF un registro sin datos");
    if (eeg.frecuenciaMuestreo <= 0)
        throw std::invalid_argument("no se puede guardar en GDF un registro con frecuencia de muestreo " +
                                    std::to_string(eeg.frecuenciaMuestreo) + " Hz");
    const arma::mat& datos = eeg.datos();
    Cabecera c;
    cabeceraFija(c, eeg, static_cast<uint32_t>(datos.n_rows), static_cast<int64_t>(datos.n_cols));
    cabecerasCanales(c, eeg);
    salida.write(reinterpret_cast<const char*>(c.bytes().data()), static_cast<std::streamsize>(c.bytes().size()));
    escribirDatos(datos, salida, avance);
    escribirEventos(eeg, salida);
}
