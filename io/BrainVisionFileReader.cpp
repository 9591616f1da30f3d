#include "io/BrainVisionFileReader.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <new>

#include <sys/stat.h>

#include "io/archivoRegular.h"
#include "io/diagnostico.h"
#include "io/eventosLeidos.h"
#include "io/fechaHora.h"
#include "io/textoCabecera.h"
#include "io/frecuenciaMuestreo.h"
#include "io/lecturaParalela.h"
#include "io/reservarEEG.h"

namespace {

constexpr int64_t maximoTexto = int64_t{64} << 20;  // a header or marker file past this is not one
constexpr size_t bytesPorBloque = size_t{1} << 20;
constexpr size_t minimoTramo = 64;             // samples per channel in a tile of vectorised values
constexpr size_t bytesPorTeja = size_t{4} << 20;  // reads of some 64 kB per channel for 64 channels

std::string minusculas(std::string_view t) {
    std::string r(t);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

std::string_view recortar(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r' || t.back() == '\0'))
        t.remove_suffix(1);
    return t;
}

std::optional<int64_t> entero(std::string_view t) {
    t = recortar(t);
    int64_t v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return std::nullopt;
    return v;
}

std::optional<double> real(std::string_view t) {
    t = recortar(t);
    double v = 0.0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

bool esUtf8(std::string_view t) {
    for (size_t i = 0; i < t.size();) {
        const auto c = static_cast<unsigned char>(t[i]);
        const size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > t.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(t[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

std::string latin1AUtf8(std::string_view t) {
    std::string r;
    r.reserve(t.size());
    for (char ch : t) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            r += ch;
        } else {
            r += static_cast<char>(0xC0 | (c >> 6));
            r += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return r;
}

// The text in UTF-8, without a byte-order mark: as the codepage line says,
// or by its bytes when there is none.
std::string textoUtf8(std::string_view texto) {
    if (texto.substr(0, 3) == "\xEF\xBB\xBF") texto.remove_prefix(3);
    std::optional<bool> latin1;
    for (size_t inicio = 0; inicio < texto.size();) {
        size_t fin = texto.find('\n', inicio);
        if (fin == std::string_view::npos) fin = texto.size();
        const std::string linea = minusculas(recortar(texto.substr(inicio, fin - inicio)));
        if (linea.rfind("codepage=", 0) == 0) {
            latin1 = linea.substr(9) != "utf-8" && linea.substr(9) != "utf8";
            break;
        }
        inicio = fin + 1;
    }
    if (!latin1) latin1 = !esUtf8(texto);
    return *latin1 ? latin1AUtf8(texto) : std::string(texto);
}

// BrainVision writes a comma inside a name as "\1".
std::string sinEscapes(std::string_view t) {
    std::string r;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\\' && i + 1 < t.size() && t[i + 1] == '1') {
            r += ',';
            ++i;
        } else {
            r += t[i];
        }
    }
    return r;
}

std::vector<std::string_view> campos(std::string_view t) {
    std::vector<std::string_view> r;
    for (size_t inicio = 0;;) {
        const size_t coma = t.find(',', inicio);
        r.push_back(t.substr(inicio, coma == std::string_view::npos ? std::string_view::npos : coma - inicio));
        if (coma == std::string_view::npos) return r;
        inicio = coma + 1;
    }
}

// Walks the lines of an INI-like text: calls f(section, key, value) for each
// "key=value" line, section and key in lower case; stops at [Comment].
template <class F>
void recorrerIni(const std::string& texto, F&& f) {
    std::string seccion;
    for (size_t inicio = 0; inicio < texto.size();) {
        size_t fin = texto.find('\n', inicio);
        if (fin == std::string::npos) fin = texto.size();
        const std::string_view linea = recortar(std::string_view(texto).substr(inicio, fin - inicio));
        inicio = fin + 1;
        if (linea.empty() || linea.front() == ';') continue;
        if (linea.front() == '[') {
            seccion = minusculas(recortar(linea.substr(1, linea.find(']') - 1)));
            if (seccion == "comment") return;
            continue;
        }
        const size_t igual = linea.find('=');
        if (igual == std::string_view::npos) continue;
        f(seccion, minusculas(recortar(linea.substr(0, igual))), recortar(linea.substr(igual + 1)));
    }
}

bool primeraLineaContiene(const std::string& texto, std::string_view marca) {
    const size_t fin = texto.find('\n');
    return minusculas(texto.substr(0, fin)).find(marca) != std::string::npos;
}

// Unit factor to µV, or nullopt when the unit is not a voltage.
std::optional<double> factorUnidad(std::string_view unidad) {
    if (unidad.empty() || unidad == "\xC2\xB5V" || unidad == "\xCE\xBCV" || unidad == "uV" || unidad == "UV")
        return 1.0;
    if (unidad == "nV") return 1e-3;
    if (unidad == "mV") return 1e3;
    if (unidad == "V") return 1e6;
    return std::nullopt;
}

uint32_t codigoGDF(TipoValor t) {
    switch (t) {
        case TipoValor::int32: return 5;
        case TipoValor::float32: return 16;
        default: return 3;
    }
}

// Reverses the bytes of each `ancho`-byte value.
void invertirBytes(uint8_t* p, size_t n, size_t ancho) {
    for (size_t i = 0; i < n; ++i) std::reverse(p + i * ancho, p + (i + 1) * ancho);
}

std::string textoNumero(double v) {
    char b[32];
    const auto r = std::to_chars(b, b + sizeof b, v);
    return std::string(b, r.ptr);
}

struct Archivo {
    std::FILE* f = nullptr;
    ~Archivo() {
        if (f) std::fclose(f);
    }
};

// Opens `ruta` as a regular file and gives its size; nullopt when it cannot.
std::optional<int64_t> abrirRegular(const std::string& ruta, Archivo& a) {
    if (!motivoArchivoEspecial(ruta).empty()) return std::nullopt;  // before fopen: a FIFO would block it
    a.f = std::fopen(ruta.c_str(), "rb");
    if (!a.f) return std::nullopt;
    struct stat st {};
    if (fstat(fileno(a.f), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<int64_t>(st.st_size);
}

}  // namespace

namespace {

// The header's keys as written, before any is checked.
struct CamposCabecera {
    std::string formatoDatos = "binary", orientacion = "multiplexed", tipoDatos = "timedomain", formatoBinario;
    std::optional<int64_t> numeroCanales;
    std::optional<double> intervalo;
    std::map<int64_t, std::string> lineasCanal;
    std::string error;  // the first value that does not parse, or empty
};

// The keys of `texto`; the file names, DataPoints and the byte order go
// straight into `c`.
CamposCabecera leerCamposCabecera(const std::string& texto, CabeceraBrainVision& c) {
    CamposCabecera k;
    recorrerIni(texto, [&](const std::string& seccion, const std::string& clave, std::string_view valor) {
        if (seccion == "common infos") {
            if (clave == "datafile") c.archivoDatos = valor;
            else if (clave == "markerfile") c.archivoMarcas = valor;
            else if (clave == "dataformat") k.formatoDatos = minusculas(valor);
            else if (clave == "dataorientation") k.orientacion = minusculas(valor);
            else if (clave == "datatype") k.tipoDatos = minusculas(valor);
            else if (clave == "numberofchannels") {
                k.numeroCanales = entero(valor);
                if (!k.numeroCanales) k.error = "el número de canales «" + std::string(valor) + "» no es un entero.";
            } else if (clave == "samplinginterval") {
                k.intervalo = real(valor);
                if (!k.intervalo) k.error = "el intervalo de muestreo «" + std::string(valor) + "» no es un número.";
            } else if (clave == "datapoints") {
                c.puntos = entero(valor);
                if (!c.puntos || *c.puntos < 0)
                    k.error = "el número de muestras «" + std::string(valor) + "» no es un entero válido.";
            }
        } else if (seccion == "binary infos") {
            if (clave == "binaryformat") k.formatoBinario = valor;
            else if (clave == "usebigendianorder") c.bigEndian = minusculas(valor) == "yes";
        } else if (seccion == "channel infos" && clave.size() > 2 && clave.compare(0, 2, "ch") == 0) {
            const std::optional<int64_t> n = entero(std::string_view(clave).substr(2));
            if (n && *n >= 1) k.lineasCanal[*n] = valor;
        }
    });
    return k;
}

// The data's layout: binary, time domain, an orientation and a binary format
// that are known, a data file and a positive sampling interval.
void fijarFormatoDatos(const CamposCabecera& k, CabeceraBrainVision& c) {
    if (!k.error.empty()) throw ErrorBrainVision(k.error);
    if (k.formatoDatos != "binary")
        throw ErrorBrainVision("los datos están escritos como texto (" + k.formatoDatos +
                               "); solo se admiten datos binarios.");
    if (k.tipoDatos != "timedomain")
        throw ErrorBrainVision("los datos no son del dominio del tiempo (" + k.tipoDatos + ").");
    if (k.orientacion != "multiplexed" && k.orientacion != "vectorized")
        throw ErrorBrainVision("la orientación de los datos «" + k.orientacion +
                               "» no se conoce (MULTIPLEXED o VECTORIZED).");
    c.multiplexado = k.orientacion == "multiplexed";
    const std::string binario = minusculas(k.formatoBinario);
    if (binario == "int_16") c.tipo = TipoValor::int16;
    else if (binario == "int_32") c.tipo = TipoValor::int32;
    else if (binario == "ieee_float_32") c.tipo = TipoValor::float32;
    else
        throw ErrorBrainVision("el formato binario «" + k.formatoBinario +
                               "» no se admite (INT_16, INT_32 o IEEE_FLOAT_32).");
    if (c.archivoDatos.empty()) throw ErrorBrainVision("la cabecera no nombra su archivo de datos (DataFile=).");
    if (!k.intervalo || !(*k.intervalo > 0.0))
        throw ErrorBrainVision("la cabecera no declara un intervalo de muestreo positivo (SamplingInterval=).");
    c.intervaloMicrosegundos = *k.intervalo;
}

void fijarCanales(const CamposCabecera& k, CabeceraBrainVision& c) {
    const std::optional<int64_t>& numeroCanales = k.numeroCanales;
    // Every channel needs its own line: a count beyond the lines present is
    // refused before anything is sized by it.
    if (!numeroCanales || *numeroCanales < 1 || *numeroCanales > static_cast<int64_t>(k.lineasCanal.size()))
        throw ErrorBrainVision("la cabecera declara " +
                               (numeroCanales ? std::to_string(*numeroCanales) : std::string("un número no válido de")) +
                               " canales y describe " + std::to_string(k.lineasCanal.size()) + ".");
    c.canales.resize(static_cast<size_t>(*numeroCanales));
    for (int64_t i = 1; i <= *numeroCanales; ++i) {
        const auto linea = k.lineasCanal.find(i);
        if (linea == k.lineasCanal.end())
            throw ErrorBrainVision("falta la línea del canal " + std::to_string(i) + " (Ch" + std::to_string(i) + "=).");
        const std::vector<std::string_view> f = campos(linea->second);
        CanalBrainVision& canal = c.canales[static_cast<size_t>(i - 1)];
        canal.etiqueta = sinEscapes(recortar(f[0]));
        double resolucion = 1.0;
        if (f.size() > 2 && !recortar(f[2]).empty()) {
            const std::optional<double> r = real(f[2]);
            if (!r) throw ErrorBrainVision("la resolución del canal " + std::to_string(i) + " («" + std::string(f[2]) +
                                           "») no es un número.");
            resolucion = *r;
        }
        const std::string_view unidad = f.size() > 3 ? recortar(f[3]) : std::string_view();
        const std::optional<double> factor = factorUnidad(unidad);
        canal.factor = resolucion * factor.value_or(1.0);
        canal.unidad = factor ? "uV" : std::string(unidad);
    }
}

}  // namespace

CabeceraBrainVision interpretarCabeceraBrainVision(std::string_view bytes) {
    const std::string texto = textoUtf8(bytes);
    if (!primeraLineaContiene(texto, "data exchange header file"))
        throw ErrorBrainVision("el archivo no empieza como una cabecera BrainVision («Brain Vision Data Exchange "
                               "Header File»).");
    CabeceraBrainVision c;
    const CamposCabecera k = leerCamposCabecera(texto, c);
    fijarFormatoDatos(k, c);
    fijarCanales(k, c);
    return c;
}

std::vector<MarcaBrainVision> interpretarMarcasBrainVision(std::string_view bytes) {
    const std::string texto = textoUtf8(bytes);
    if (!primeraLineaContiene(texto, "data exchange marker file"))
        throw ErrorBrainVision("el archivo de marcas no empieza como uno de BrainVision («Brain Vision Data "
                               "Exchange Marker File»).");
    std::vector<MarcaBrainVision> marcas;
    recorrerIni(texto, [&](const std::string& seccion, const std::string& clave, std::string_view valor) {
        if (seccion != "marker infos" || clave.compare(0, 2, "mk") != 0) return;
        const std::vector<std::string_view> f = campos(valor);
        if (f.size() < 3) return;
        MarcaBrainVision m;
        m.tipo = sinEscapes(recortar(f[0]));
        m.descripcion = sinEscapes(recortar(f[1]));
        const std::optional<int64_t> posicion = entero(f[2]);
        if (!posicion) return;
        m.posicion = *posicion;
        if (f.size() > 3) m.puntos = entero(f[3]).value_or(0);
        if (f.size() > 4) m.canal = entero(f[4]).value_or(0);
        if (f.size() > 5) m.fecha = std::string(recortar(f[5]));
        marcas.push_back(std::move(m));
    });
    return marcas;
}

namespace {

// "S  1" of a Stimulus marker or "R 12" of a Response one: the letter, blanks, the number.
std::optional<int32_t> numeroMarca(const MarcaBrainVision& m, char letra) {
    const std::string_view d = m.descripcion;
    if (d.size() < 2 || d[0] != letra) return std::nullopt;
    const std::optional<int64_t> n = entero(d.substr(1));
    if (!n || *n < 0 || *n > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(*n);
}

int32_t acotar(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

std::shared_ptr<TablaEventos> eventosBrainVision(const std::vector<MarcaBrainVision>& marcas, int64_t muestras,
                                                 uint32_t canales, size_t* descartados) {
    std::vector<Evento> eventos;
    eventos.reserve(marcas.size());
    NumeracionTextos numeracion;
    std::map<std::pair<int32_t, int32_t>, std::string> textos;
    for (const MarcaBrainVision& m : marcas) {
        Evento e;
        e.posicion = acotar(m.posicion - 1);
        e.duracion = acotar(std::max<int64_t>(m.puntos, 0));
        e.canal = m.canal >= 0 && m.canal <= canales ? static_cast<int32_t>(m.canal) : 0;
        const std::string tipo = minusculas(m.tipo);
        const std::optional<int32_t> estimulo = tipo == "stimulus" ? numeroMarca(m, 'S') : std::nullopt;
        const std::optional<int32_t> respuesta = tipo == "response" ? numeroMarca(m, 'R') : std::nullopt;
        if (estimulo) {
            e.tipo = *estimulo;
            e.calificador = 1;
        } else if (respuesta) {
            e.tipo = *respuesta;
            e.calificador = 2;
            textos[{e.tipo, 2}] = m.descripcion;
        } else {
            const std::string texto = m.descripcion.empty() ? m.tipo : m.descripcion;
            e.tipo = numeracion.numero(texto);
            e.calificador = 3;
            textos[{e.tipo, 3}] = texto;
        }
        eventos.push_back(e);
    }
    auto tabla = construirTablaEventos(std::move(eventos), muestras, descartados);
    tabla->textos = std::move(textos);
    return tabla;
}

EEG BrainVisionFileReader::leer(std::string ruta) {
    const size_t barra = ruta.rfind('/');
    carpeta_ = barra == std::string::npos ? "." : ruta.substr(0, barra);
    EEG eeg = leerArchivo(ruta);
    carpeta_.clear();
    return eeg;
}

// What the phases of one reading hand on to the next.
struct BrainVisionFileReader::Lectura {
    CabeceraBrainVision cab;
    double frecuencia = 0.0;
    int32_t frecuenciaEntera = 0;
    std::vector<MarcaBrainVision> marcas;
    Archivo datos;
    uint32_t nCanales = 0;
    size_t ancho = 0;  // bytes per value
    int64_t bytesPorMuestra = 0;
    int64_t muestras = 0;
    std::string avisoCorte;
    std::vector<Escala> escalas;
};

EEG BrainVisionFileReader::decodificar() {
    Lectura l;
    if (!leerCabecera(l) || !leerMarcas(l) || !medirDatos(l)) return EEG();
    EEG eeg;
    if (!reservarRegistro(l, eeg)) return EEG();
    diagnostico("Cargando datos...");
    if (!leerMuestras(l, eeg)) return EEG();
    crearEventos(l, eeg);
    return eeg;
}

// A header names its companions by file name: an absolute path or one that
// leaves the header's folder (through "..", or a symbolic link) would read
// any file the process can, and a converter would hand it out as samples.
std::optional<std::string> BrainVisionFileReader::rutaVecina(const std::string& nombre, const char* campo) {
    if (!nombraArchivoDeLaCarpeta(carpeta_, nombre)) {
        fallar(std::string("el campo ") + campo + " de la cabecera («" + textoParaMensaje(nombre) +
               "») debe nombrar un archivo de la carpeta de la cabecera; no se admiten rutas absolutas ni que "
               "salgan de ella.");
        return std::nullopt;
    }
    return carpeta_ + "/" + nombre;
}

bool BrainVisionFileReader::leerCabecera(Lectura& l) {
    if (tamano() > maximoTexto) {
        fallar("la cabecera BrainVision ocupa " + std::to_string(tamano()) + " bytes: no es una cabecera.");
        return false;
    }
    const std::string bytesCabecera = leerTexto(static_cast<size_t>(tamano()));
    try {
        l.cab = interpretarCabeceraBrainVision(bytesCabecera);
    } catch (const ErrorBrainVision& e) {
        fallar(e.what());
        return false;
    }
    diagnostico("detectado el formato: BrainVision");
    if (carpeta_.empty()) {
        fallar("una cabecera BrainVision leída de memoria no tiene carpeta donde buscar sus archivos de datos "
               "y de marcas.");
        return false;
    }
    l.frecuencia = 1e6 / l.cab.intervaloMicrosegundos;
    if (const std::string motivo = motivoFrecuenciaNoValida(l.frecuencia); !motivo.empty()) {
        fallar("la frecuencia de muestreo (" + textoNumero(l.frecuencia) + " Hz, intervalo de " +
               textoNumero(l.cab.intervaloMicrosegundos) + " µs) " + motivo + ".");
        return false;
    }
    l.frecuenciaEntera = static_cast<int32_t>(std::lround(l.frecuencia));
    return true;
}

// Markers first: a missing marker file refuses the recording before its
// data are read.
bool BrainVisionFileReader::leerMarcas(Lectura& l) {
    const std::string& archivoMarcas = l.cab.archivoMarcas;
    if (archivoMarcas.empty()) {
        fallar("la cabecera no nombra su archivo de marcas (MarkerFile=).");
        return false;
    }
    const std::optional<std::string> ruta = rutaVecina(archivoMarcas, "MarkerFile=");
    if (!ruta) return false;
    Archivo a;
    const std::optional<int64_t> t = abrirRegular(*ruta, a);
    if (!t) {
        fallar("no se encuentra el archivo de marcas «" + archivoMarcas + "» que nombra la cabecera.");
        return false;
    }
    if (*t > maximoTexto) {
        fallar("el archivo de marcas «" + archivoMarcas + "» ocupa " + std::to_string(*t) +
               " bytes: no es un archivo de marcas.");
        return false;
    }
    std::string texto(static_cast<size_t>(*t), '\0');
    if (std::fread(texto.data(), 1, texto.size(), a.f) != texto.size()) {
        fallar("error de lectura en el archivo de marcas «" + archivoMarcas + "».");
        return false;
    }
    try {
        l.marcas = interpretarMarcasBrainVision(texto);
    } catch (const ErrorBrainVision& e) {
        fallar(e.what());
        return false;
    }
    return true;
}

// The data file's size against the header's count: a multiplexed file cut
// short keeps its complete samples, a vectorised one must match.
bool BrainVisionFileReader::medirDatos(Lectura& l) {
    const CabeceraBrainVision& cab = l.cab;
    const std::optional<std::string> ruta = rutaVecina(cab.archivoDatos, "DataFile=");
    if (!ruta) return false;
    const std::optional<int64_t> tamanoDatos = abrirRegular(*ruta, l.datos);
    if (!tamanoDatos) {
        fallar("no se encuentra el archivo de datos «" + cab.archivoDatos + "» que nombra la cabecera.");
        return false;
    }
    l.nCanales = static_cast<uint32_t>(cab.canales.size());
    l.ancho = bytesPorValor(cab.tipo);
    const int64_t bytesPorMuestra = l.bytesPorMuestra = static_cast<int64_t>(l.ancho) * l.nCanales;
    const int64_t completas = *tamanoDatos / bytesPorMuestra;
    const bool sobran = *tamanoDatos % bytesPorMuestra != 0;
    l.muestras = completas;
    if (cab.multiplexado) {
        if (cab.puntos && *cab.puntos < completas) {
            fallar("el archivo de datos contiene " + std::to_string(completas) + " muestras y la cabecera declara " +
                   std::to_string(*cab.puntos) + ".");
            return false;
        }
        if (sobran || (cab.puntos && *cab.puntos > completas))
            l.avisoCorte = "El archivo de datos está incompleto: se han leído " + std::to_string(completas) +
                           (cab.puntos ? " de las " + std::to_string(*cab.puntos) + " muestras que declara la cabecera."
                                       : " muestras completas; sobran " +
                                             std::to_string(*tamanoDatos % bytesPorMuestra) + " bytes.");
    } else if (sobran || (cab.puntos && *cab.puntos != completas)) {
        fallar("el tamaño del archivo de datos (" + std::to_string(*tamanoDatos) + " bytes) no corresponde a " +
               std::to_string(l.nCanales) + " canales" +
               (cab.puntos ? " de " + std::to_string(*cab.puntos) + " muestras" : std::string()) +
               " en orden vectorizado.");
        return false;
    }
    if (l.muestras == 0) {
        fallar("el archivo de datos no contiene ninguna muestra completa.");
        return false;
    }
    if (std::abs(l.frecuencia - l.frecuenciaEntera) > 1e-6 * l.frecuencia)
        avisar("La frecuencia de muestreo del archivo (" + textoNumero(l.frecuencia) + " Hz) no es entera; se toma " +
               std::to_string(l.frecuenciaEntera) + " Hz.");
    return true;
}

bool BrainVisionFileReader::reservarRegistro(Lectura& l, EEG& eeg) {
    try {
        eeg = reservarEEG(l.frecuenciaEntera, l.nCanales, l.muestras, Poblado::porPiezas);
    } catch (const std::bad_alloc&) {
        fallar("no hay memoria para " + std::to_string(l.nCanales) + " canales x " + std::to_string(l.muestras) +
               " muestras.");
        return false;
    }
    l.escalas.resize(l.nCanales);
    for (uint32_t c = 0; c < l.nCanales; ++c) {
        Canal& canal = (*eeg.canales)[c];
        canal.etiqueta = l.cab.canales[c].etiqueta;
        canal.unidad = l.cab.canales[c].unidad;
        canal.tipoDato = codigoGDF(l.cab.tipo);
        l.escalas[c].ganancia = l.cab.canales[c].factor;
    }
    return true;
}

// Stretches of samples are read (each at its own offset) and converted on
// two threads, each with its own buffer; each maps the matrix pages it
// writes.
bool BrainVisionFileReader::leerMuestras(const Lectura& l, EEG& eeg) {
    double* destino = eeg.matrices.front().memptr();
    const bool leido = l.cab.multiplexado ? leerMultiplexado(l, destino) : leerVectorizado(l, destino);
    if (!leido) {
        fallar("error de lectura en el archivo de datos.");
        return false;
    }
    return true;
}

// Multiplexed values are already in the matrix's column order.
bool BrainVisionFileReader::leerMultiplexado(const Lectura& l, double* destino) {
    const CabeceraBrainVision& cab = l.cab;
    const int fd = fileno(l.datos.f);
    const uint32_t nCanales = l.nCanales;
    const size_t ancho = l.ancho;
    const int64_t bytesPorMuestra = l.bytesPorMuestra;
    const std::vector<Escala>& escalas = l.escalas;
    std::vector<uint8_t> bloques[2];
    std::atomic<bool> fallo{false};
    const bool sinEscala = std::all_of(escalas.begin(), escalas.end(), [](const Escala& e) { return e.identidad(); });
    const auto porBloque = static_cast<int64_t>(std::max<int64_t>(1, static_cast<int64_t>(bytesPorBloque) / bytesPorMuestra));
    repartirEnDosHilos(
        l.muestras, porBloque,
        [&](int hilo, int64_t desde, int64_t hasta) {
            std::vector<uint8_t>& bloque = bloques[hilo];
            const auto n = static_cast<size_t>(hasta - desde);
            bloque.resize(n * nCanales * ancho);
            if (!leerEnPosicion(fd, bloque.data(), bloque.size(), desde * bytesPorMuestra)) {
                fallo = true;
                return;
            }
            if (cab.bigEndian && ancho > 1) invertirBytes(bloque.data(), n * nCanales, ancho);
            poblarMemoria(destino + static_cast<size_t>(desde) * nCanales, n * nCanales * sizeof(double));
            convertirMultiplexado(cab.tipo, bloque.data(), nCanales * ancho, nCanales, n,
                                  sinEscala ? nullptr : escalas.data(), destino + static_cast<size_t>(desde) * nCanales);
        },
        [&](int64_t hechas) { informarLectura(static_cast<double>(hechas), static_cast<double>(l.muestras)); });
    return !fallo;
}

// Vectorised values are read by tiles: the stretch of every channel (one
// read each), then written into the stretch's columns, so that the matrix
// is written once and in order rather than once per channel.
bool BrainVisionFileReader::leerVectorizado(const Lectura& l, double* destino) {
    const CabeceraBrainVision& cab = l.cab;
    const int fd = fileno(l.datos.f);
    const uint32_t nCanales = l.nCanales;
    const size_t ancho = l.ancho;
    const int64_t muestras = l.muestras;
    std::vector<uint8_t> bloques[2];
    std::atomic<bool> fallo{false};
    const auto muestrasTramo = static_cast<int64_t>(std::max<size_t>(minimoTramo, bytesPorTeja / (ancho * nCanales)));
    repartirEnDosHilos(
        muestras, muestrasTramo,
        [&](int hilo, int64_t desde, int64_t hasta) {
            std::vector<uint8_t>& teja = bloques[hilo];
            const auto n = static_cast<size_t>(hasta - desde);
            teja.resize(n * ancho * nCanales);
            for (uint32_t c = 0; c < nCanales; ++c) {
                uint8_t* fila = teja.data() + static_cast<size_t>(c) * n * ancho;
                const int64_t posicion = (static_cast<int64_t>(c) * muestras + desde) * static_cast<int64_t>(ancho);
                if (!leerEnPosicion(fd, fila, n * ancho, posicion)) {
                    fallo = true;
                    return;
                }
                if (cab.bigEndian && ancho > 1) invertirBytes(fila, n, ancho);
            }
            poblarMemoria(destino + static_cast<size_t>(desde) * nCanales, n * nCanales * sizeof(double));
            convertirFilas(cab.tipo, teja.data(), n * ancho, nCanales, n, l.escalas.data(),
                           destino + static_cast<size_t>(desde) * nCanales);
        },
        [&](int64_t hechas) { informarLectura(static_cast<double>(hechas), static_cast<double>(muestras)); });
    return !fallo;
}

// The start from the first segment marker, the events from all markers; the
// warnings of a short file and of markers outside it go out as one.
void BrainVisionFileReader::crearEventos(Lectura& l, EEG& eeg) {
    const std::vector<MarcaBrainVision>& marcas = l.marcas;
    // The first segment starts the recording; a later one's date is not its start.
    const auto segmento = std::find_if(marcas.begin(), marcas.end(),
                                       [](const MarcaBrainVision& m) { return minusculas(m.tipo) == "new segment"; });
    if (segmento != marcas.end()) eeg.fechaHora = fechaDeBrainVision(segmento->fecha);

    diagnostico("Cargando eventos...");
    size_t descartados = 0;
    if (!marcas.empty()) eeg.tablaEventos = eventosBrainVision(marcas, l.muestras, l.nCanales, &descartados);
    if (descartados > 0)
        l.avisoCorte += (l.avisoCorte.empty() ? "" : " ") + std::to_string(descartados) +
                        (descartados == 1 ? " marca cae fuera del registro y se ha descartado."
                                          : " marcas caen fuera del registro y se han descartado.");
    if (!l.avisoCorte.empty()) avisar(l.avisoCorte);
}
