#include "io/escritorGDF.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <stdexcept>
#include <vector>

#include "io/claseEvento.h"
#include "io/fechaHora.h"

namespace {

constexpr const char* versionGDF = "GDF 2.20";

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

// ISO 11073 code of a unit GDF 2 readers scale by, 0 for any other text.
uint16_t codigoUnidad(const std::string& unidad) {
    if (unidad == "uV" || unidad == "\xC2\xB5V" || unidad == "\xCE\xBCV") return 4275;
    if (unidad == "mV") return 4274;
    if (unidad == "nV") return 4276;
    if (unidad == "V") return 4256;
    return 0;
}

// The 256-byte fixed header of version 2.20 (byte offsets in the comments).
void cabeceraFija(Cabecera& c, const EEG& eeg, uint32_t ns, int64_t registros, uint16_t bloquesCabecera) {
    c.texto(versionGDF, 8);
    c.texto(eeg.sujeto, 66);                 // 8
    c.texto("", 10, '\0');                  // 74: reserved
    c.texto("", 4, '\0');                   // 84: habits, weight, height, sex: unknown
    c.texto(eeg.identificacionRegistro, 64);  // 88
    c.texto("", 16, '\0');                  // 152: location
    c.numero<uint64_t>(eeg.fechaHora && fechaHoraValida(*eeg.fechaHora) ? valorFechaGDF2(*eeg.fechaHora) : 0);
    c.numero<uint64_t>(0);                   // 176: birthday
    c.numero<uint16_t>(bloquesCabecera);     // 184: in 256-byte blocks
    c.texto("", 6, '\0');                   // 186: classification
    c.numero<uint64_t>(eeg.idEquipo);        // 192
    c.texto("", 6 + 6 + 12 + 12, '\0');     // 200: reserved, head size, reference and ground electrodes
    c.numero<int64_t>(registros);            // 236
    c.numero<uint32_t>(1);                   // 244: record duration 1 / fs seconds
    c.numero<uint32_t>(static_cast<uint32_t>(eeg.frecuenciaMuestreo));
    c.numero<uint16_t>(static_cast<uint16_t>(ns));  // 252
    c.texto("", 2, '\0');
}

// The channel headers, each field an array over the channels.
void cabecerasCanales(Cabecera& c, const EEG& eeg) {
    const arma::mat& datos = eeg.datos();
    const uint32_t ns = static_cast<uint32_t>(datos.n_rows);
    auto canal = [&](uint32_t i) -> Canal {
        return (eeg.canales && i < eeg.canales->size()) ? (*eeg.canales)[i] : Canal{};
    };
    auto unidad = [&](uint32_t i) { return canal(i).unidad.empty() ? std::string("uV") : canal(i).unidad; };
    // Digital and physical ranges are equal, so readers that scale by them
    // (gain (pmax - pmin) / (dmax - dmin) = 1, offset 0) leave the float samples
    // as they are. The range covers the channel's finite values.
    std::vector<double> limite(ns);
    for (uint32_t i = 0; i < ns; ++i) {
        double m = 0.0;
        for (const double v : datos.row(i))
            if (std::isfinite(v)) m = std::max(m, std::abs(v));
        limite[i] = std::clamp(std::ceil(m), 1.0, 1e18);
    }
    const float desconocido = std::numeric_limits<float>::quiet_NaN();
    for (uint32_t i = 0; i < ns; ++i) c.texto(canal(i).etiqueta, 16);
    for (uint32_t i = 0; i < ns; ++i) c.texto(canal(i).transductor, 80);
    for (uint32_t i = 0; i < ns; ++i) c.texto(unidad(i), 6);
    for (uint32_t i = 0; i < ns; ++i) c.numero<uint16_t>(codigoUnidad(unidad(i)));
    for (uint32_t i = 0; i < ns; ++i) c.numero<double>(-limite[i]);
    for (uint32_t i = 0; i < ns; ++i) c.numero<double>(limite[i]);
    for (uint32_t i = 0; i < ns; ++i) c.numero<double>(-limite[i]);
    for (uint32_t i = 0; i < ns; ++i) c.numero<double>(limite[i]);
    for (uint32_t i = 0; i < ns; ++i) c.texto(canal(i).prefiltrado, 68);
    for (uint32_t i = 0; i < 3 * ns; ++i) c.numero<float>(desconocido);  // low-pass, high-pass, notch
    for (uint32_t i = 0; i < ns; ++i) c.numero<uint32_t>(1);
    for (uint32_t i = 0; i < ns; ++i) c.numero<uint32_t>(16);  // float32
    for (uint32_t i = 0; i < ns; ++i) c.texto("", 12 + 20, '\0');  // position, impedance
}

// GDF 2 stores an event's kind as a 16-bit code (TYP); codes 1 to 255 are
// the user's, and the header extension's tag 1 may describe each with a
// text. A kind (tipo, 1) with tipo in 1..65535 keeps tipo as its code, so
// other readers see the numbers they expect, and its name (codes up to 255
// only) is its description. Any other kind (another calificador, tipo 0 or
// past 16 bits) takes the first code of 1..255 no kind keeps, described by
// the kind as text, "tipo.calificador nombre" (io/claseEvento.h); so is a
// kept code whose name would read as such a text. Our reader turns those
// descriptions back into the kinds.
struct CodigosEventos {
    std::map<std::pair<int32_t, int32_t>, uint16_t> codigo;
    std::vector<std::string> descripciones;  // by code, from 0; empty for none
};

CodigosEventos codificarEventos(const TablaEventos* tabla) {
    CodigosEventos r;
    if (!tabla) return r;
    std::vector<std::pair<int32_t, int32_t>> otras;
    std::vector<bool> usado(256, false);
    for (const Evento& e : tabla->eventos) {
        const auto clase = std::make_pair(e.tipo, e.calificador);
        if (r.codigo.count(clase) || std::find(otras.begin(), otras.end(), clase) != otras.end()) continue;
        if (e.calificador == 1 && e.tipo >= 1 && e.tipo <= 65535) {
            r.codigo[clase] = static_cast<uint16_t>(e.tipo);
            if (e.tipo <= 255) usado[static_cast<size_t>(e.tipo)] = true;
        } else {
            otras.push_back(clase);
        }
    }
    size_t libre = 1;
    for (const auto& clase : otras) {
        while (libre <= 255 && usado[libre]) ++libre;
        if (libre > 255)
            throw std::runtime_error("la rama tiene más clases de evento de las que GDF puede distinguir (" +
                                     std::to_string(r.codigo.size() + otras.size()) +
                                     "; los códigos de usuario son 255)");
        usado[libre] = true;
        r.codigo[clase] = static_cast<uint16_t>(libre);
    }
    for (const auto& [clase, codigo] : r.codigo) {
        if (codigo > 255) continue;
        const auto t = tabla->textos.find(clase);
        const std::string nombre = t != tabla->textos.end() ? t->second : std::string();
        const bool propio = clase.second == 1 && clase.first == codigo;
        std::string descripcion;
        if (!propio || leerClaseEvento(nombre))
            descripcion = textoClaseEvento(clase.first, clase.second, nombre);
        else
            descripcion = nombre;
        descripcion.erase(std::remove(descripcion.begin(), descripcion.end(), '\0'), descripcion.end());
        if (descripcion.empty()) continue;
        if (r.descripciones.size() <= codigo) r.descripciones.resize(codigo + 1u);
        r.descripciones[codigo] = descripcion;
    }
    return r;
}

// Tag 1 (the descriptions, each NUL-terminated, from code 0), then tag 0,
// padded to whole 256-byte blocks; empty when no code is described.
std::vector<unsigned char> extensionCabecera(const CodigosEventos& codigos) {
    if (codigos.descripciones.empty()) return {};
    std::string valor;
    for (const std::string& d : codigos.descripciones) valor += d + '\0';
    if (valor.size() > 0xFFFFFF) throw std::runtime_error("los nombres de los eventos no caben en la cabecera GDF");
    Cabecera e;
    e.numero<uint8_t>(1);
    e.numero<uint8_t>(valor.size() & 0xFF);
    e.numero<uint8_t>((valor.size() >> 8) & 0xFF);
    e.numero<uint8_t>((valor.size() >> 16) & 0xFF);
    e.texto(valor, valor.size());
    std::vector<unsigned char> bytes = e.bytes();
    bytes.resize((bytes.size() + 1 + 255) / 256 * 256, 0);  // at least one zero byte: tag 0
    return bytes;
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

// The event table of version 2, mode 3 when the record's is, mode 1
// otherwise: the count in 24 bits and the positions' rate as a float32.
void escribirEventos(const EEG& eeg, const CodigosEventos& codigos, std::ostream& salida) {
    Cabecera e;
    const TablaEventos* tabla = eeg.tablaEventos.get();
    const uint32_t n = tabla ? static_cast<uint32_t>(tabla->eventos.size()) : 0;
    const bool modo3 = tabla && tabla->modo == 3;
    e.numero<uint8_t>(modo3 ? 3 : 1);
    e.numero<uint8_t>(n & 0xFF);
    e.numero<uint8_t>((n >> 8) & 0xFF);
    e.numero<uint8_t>((n >> 16) & 0xFF);
    e.numero<float>(static_cast<float>(eeg.frecuenciaMuestreo));
    // GDF counts samples from 1; our positions are matrix columns, from 0 (the
    // reader subtracts the one we add here).
    for (uint32_t i = 0; i < n; ++i) {
        const int64_t posicion = static_cast<int64_t>(tabla->eventos[i].posicion) + 1;
        e.numero<uint32_t>(static_cast<uint32_t>(std::clamp<int64_t>(posicion, 0, UINT32_MAX)));
    }
    for (uint32_t i = 0; i < n; ++i)
        e.numero<uint16_t>(codigos.codigo.at({tabla->eventos[i].tipo, tabla->eventos[i].calificador}));
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
    if (datos.n_rows > 65535)
        throw std::invalid_argument("GDF admite como mucho 65535 canales y la rama tiene " +
                                    std::to_string(datos.n_rows));
    if (eeg.tablaEventos && eeg.tablaEventos->eventos.size() > 0xFFFFFF)
        throw std::invalid_argument("GDF admite como mucho 16777215 eventos y la rama tiene " +
                                    std::to_string(eeg.tablaEventos->eventos.size()));
    const CodigosEventos codigos = codificarEventos(eeg.tablaEventos.get());
    const std::vector<unsigned char> extension = extensionCabecera(codigos);
    const size_t bloques = datos.n_rows + 1 + extension.size() / 256;
    if (bloques > 65535) throw std::invalid_argument("la cabecera GDF no cabe en 65535 bloques");
    Cabecera c;
    cabeceraFija(c, eeg, static_cast<uint32_t>(datos.n_rows), static_cast<int64_t>(datos.n_cols),
                 static_cast<uint16_t>(bloques));
    cabecerasCanales(c, eeg);
    salida.write(reinterpret_cast<const char*>(c.bytes().data()), static_cast<std::streamsize>(c.bytes().size()));
    salida.write(reinterpret_cast<const char*>(extension.data()), static_cast<std::streamsize>(extension.size()));
    escribirDatos(datos, salida, avance);
    escribirEventos(eeg, codigos, salida);
}
