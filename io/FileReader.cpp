#include "io/FileReader.h"

#include <algorithm>
#include <cstring>

#include <sys/stat.h>

#include "io/archivoRegular.h"
#include "io/diagnostico.h"
#include "io/lecturaParalela.h"

FileReader::~FileReader() { cerrar(); }

bool FileReader::abrir(const std::string& ruta) {
    cerrar();
    ruta_ = ruta;
    if (!motivoArchivoEspecial(ruta).empty()) return false;  // before fopen: a FIFO would block it
    archivo_ = std::fopen(ruta.c_str(), "rb");
    if (!archivo_) return false;
    struct stat st {};
    if (fstat(fileno(archivo_), &st) != 0 || !S_ISREG(st.st_mode)) {
        // A folder or a device has no size to decode against.
        cerrar();
        return false;
    }
    tamano_ = static_cast<int64_t>(st.st_size);
    posicion_ = 0;
    posicionGuardada_ = 0;
    return true;
}

void FileReader::abrirMemoria(const uint8_t* datos, size_t n) {
    cerrar();
    ruta_ = "<memoria>";
    memoria_ = datos;
    tamano_ = static_cast<int64_t>(n);
    posicion_ = 0;
    posicionGuardada_ = 0;
}

void FileReader::cerrar() {
    if (archivo_) std::fclose(archivo_);
    archivo_ = nullptr;
    memoria_ = nullptr;
    tamano_ = 0;
    posicion_ = 0;
}

void FileReader::irA(int64_t posicion) {
    posicion_ = std::max<int64_t>(posicion, 0);
    if (archivo_ && fseeko(archivo_, static_cast<off_t>(std::min(posicion_, tamano_)), SEEK_SET) != 0)
        posicion_ = tamano_;
}

size_t FileReader::leerBloque(void* destino, size_t n) {
    if (n == 0) return 0;
    auto* d = static_cast<unsigned char*>(destino);
    size_t leidos = 0;
    if (posicion_ < tamano_) {
        const size_t disponibles = static_cast<size_t>(tamano_ - posicion_);
        const size_t pedidos = std::min(n, disponibles);
        if (memoria_) {
            std::memcpy(d, memoria_ + posicion_, pedidos);
            leidos = pedidos;
        } else if (archivo_) {
            leidos = std::fread(d, 1, pedidos, archivo_);
        }
    }
    if (leidos < n) std::memset(d + leidos, 0, n - leidos);
    posicion_ += static_cast<int64_t>(leidos);
    if (n >= bloqueInformado) avance_(static_cast<double>(posicion_), static_cast<double>(tamano_));
    return leidos;
}

bool FileReader::leerEn(void* destino, size_t n, int64_t desde) const {
    if (desde < 0 || desde > tamano_ || n > static_cast<uint64_t>(tamano_ - desde)) return false;
    if (memoria_) {
        std::memcpy(destino, memoria_ + desde, n);
        return true;
    }
    // pread leaves the stream's own position, and its buffer, alone.
    return archivo_ && leerEnPosicion(fileno(archivo_), destino, n, desde);
}

uint8_t FileReader::leerByte() {
    uint8_t b[1];
    leerBloque(b, 1);
    return b[0];
}

uint16_t FileReader::leer16() {
    uint8_t b[2];
    leerBloque(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t FileReader::leer32() {
    uint8_t b[4];
    leerBloque(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}

uint64_t FileReader::leer64() {
    const uint64_t bajo = leer32();
    const uint64_t alto = leer32();
    return bajo | (alto << 32);
}

double FileReader::leerReal64() {
    const uint64_t bits = leer64();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::string FileReader::leerTexto(size_t n) {
    std::string s(n, '\0');
    if (n > 0) leerBloque(s.data(), n);
    return s;
}

std::optional<std::string> FileReader::leerPrimeraLinea(size_t maximo) {
    // Blocks of 4 KiB, scanned for CR LF; the file position ends right after it.
    const int64_t inicio = posicion_;
    std::string linea;
    char bloque[4096];
    while (linea.size() < maximo + 2) {
        const size_t leidos = leerBloque(bloque, sizeof bloque);
        if (leidos == 0) break;
        const size_t antes = linea.size();
        linea.append(bloque, leidos);
        const size_t desde = antes > 0 ? antes - 1 : 0;
        const size_t cr = linea.find("\r\n", desde);
        if (cr != std::string::npos) {
            if (cr > maximo) break;
            linea.resize(cr);
            irA(inicio + static_cast<int64_t>(cr) + 2);
            return linea;
        }
        if (leidos < sizeof bloque) break;
    }
    irA(inicio);
    return std::nullopt;
}

EEG FileReader::fallar(const std::string& motivo, const std::string& lineaSalida) {
    motivo_ = motivo;
    if (!lineaSalida.empty()) diagnostico(lineaSalida);
    return EEG();
}

void FileReader::avisar(const std::string& aviso) {
    avisos_.push_back(aviso);
    diagnostico(aviso);
}

EEG FileReader::leerArchivo(const std::string& ruta) {
    limpiarFallo();
    if (!abrir(ruta))
        return fallar("el archivo no existe o no se puede abrir.", "fallo al abrir el archivo");
    EEG eeg = decodificar();
    cerrar();
    return eeg;
}

EEG FileReader::leerMemoria(const uint8_t* datos, size_t n) {
    limpiarFallo();
    abrirMemoria(datos, n);
    EEG eeg = decodificar();
    cerrar();
    return eeg;
}
