#include "io/GdfFileReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <vector>

#include "io/diagnostico.h"
#include "io/reservarEEG.h"
#include "io/textoCabecera.h"
#include "io/textoNumerico.h"
#include "io/valoresBinarios.h"

namespace {

constexpr size_t bytesPorBloque = 256 * 1024;  // stays in the L2 cache while decoded
// Above this a "recording" is not EEG: a damaged record duration, not data.
constexpr double frecuenciaMaxima = 1e6;

struct CanalGdf {
    uint32_t muestrasPorRegistro = 0;
    TipoValor tipo = TipoValor::int16;
};

// "GDF d.dd", the only form the version field takes; the major digit, or
// nullopt for any other text ("GDF 1.xx", "GDF 1.2\0").
// a x b for counts whose product may not fit in 64 bits.
std::string textoProducto(int64_t a, uint32_t b) {
    unsigned __int128 v = static_cast<unsigned __int128>(a) * b;
    std::string t;
    do {
        t.insert(t.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
        v /= 10;
    } while (v > 0);
    return t;
}

std::optional<int> versionMayor(const std::string& campo) {
    const auto digito = [&](size_t i) { return campo[i] >= '0' && campo[i] <= '9'; };
    if (campo.size() != 8 || campo.compare(0, 4, "GDF ") != 0 || !digito(4) || campo[5] != '.' || !digito(6) ||
        !digito(7))
        return std::nullopt;
    return campo[4] - '0';
}

}  // namespace

EEG GdfFileReader::leer(std::string ruta) { return leerArchivo(ruta); }

EEG GdfFileReader::decodificar() {
    const int64_t tamanoArchivo = tamano();
    const std::string version = leerTexto(8);
    if (version.compare(0, 3, "GDF") != 0) return fallar("el archivo no empieza por «GDF»: no es un archivo GDF.");
    const std::optional<int> mayor = versionMayor(version);
    const std::string versionVisible = utf8Saneado(version.substr(0, version.find('\0')));
    if (!mayor) return fallar("no se puede leer la versión del archivo GDF («" + versionVisible + "»).");
    diagnostico("detectado el formato: " + std::to_string(*mayor));
    if (*mayor >= 2)
        return fallar("el archivo es GDF versión " + std::to_string(*mayor) + "; solo se admite la versión 1.",
                      "Version no soportada por ahora");
    if (*mayor != 1) return fallar("la versión «" + versionVisible + "» del archivo GDF no existe; solo se admite la versión 1.");

    diagnostico("Cargando cabeceras...");
    const std::string sujeto = leerTexto(80);
    const std::string identificacion = leerTexto(80);
    const std::string fecha = leerTexto(16);
    const auto longitudCabecera = static_cast<int64_t>(leer64());
    const uint64_t idEquipo = leer64();
    const uint64_t idLaboratorio = leer64();
    const uint64_t idTecnico = leer64();
    const std::string reservado = leerTexto(20);
    const auto numeroRegistros = static_cast<int64_t>(leer64());
    const uint32_t numerador = leer32();
    const uint32_t denominador = leer32();
    const uint32_t ns = leer32();

    if (ns == 0) return fallar("la cabecera GDF no declara ningún canal.");
    const int64_t cabeceraMinima = 256 * (static_cast<int64_t>(ns) + 1);
    if (longitudCabecera < cabeceraMinima || longitudCabecera > tamanoArchivo)
        return fallar("la longitud de cabecera GDF (" + std::to_string(longitudCabecera) + " bytes) no es válida para " +
                      std::to_string(ns) + " canales en un archivo de " + std::to_string(tamanoArchivo) + " bytes.");
    if (numeroRegistros <= 0)
        return fallar("el archivo GDF no declara registros de datos (número de registros " +
                      std::to_string(numeroRegistros) + ").");
    if (numerador == 0 || denominador == 0)
        return fallar("la duración de registro del archivo GDF (" + std::to_string(numerador) + "/" +
                      std::to_string(denominador) + " s) no es válida.");

    // Channel headers: each field is an array over the channels.
    std::vector<Canal> canales(ns);
    // Labels and units lose the padding of their fields: "Fz" matches "Fz".
    for (Canal& c : canales) c.etiqueta = textoDeCabecera(leerTexto(16));
    for (Canal& c : canales) c.transductor = utf8Saneado(leerTexto(80));
    for (Canal& c : canales) c.unidad = textoDeCabecera(leerTexto(8));
    for (Canal& c : canales) c.minimoFisico = leerDoubleEscalado();
    for (Canal& c : canales) c.maximoFisico = leerDoubleEscalado();
    for (Canal& c : canales) c.minimoDigital = static_cast<int64_t>(leer64());
    for (Canal& c : canales) c.maximoDigital = static_cast<int64_t>(leer64());
    for (Canal& c : canales) c.prefiltrado = utf8Saneado(leerTexto(80));
    for (Canal& c : canales) c.muestrasPorRegistro = leer32();
    for (Canal& c : canales) c.tipoDato = leer32();

    const int64_t presentes = tamanoArchivo - longitudCabecera;
    std::vector<CanalGdf> formato(ns);
    int64_t bytesPorRegistro = 0;
    const uint32_t spr = canales[0].muestrasPorRegistro;
    if (spr == 0) return fallar("el primer canal del archivo GDF tiene 0 muestras por registro.");
    for (uint32_t c = 0; c < ns; ++c) {
        if (canales[c].muestrasPorRegistro != spr)
            return fallar("los canales del archivo GDF tienen distinto número de muestras por registro (canal 1: " +
                          std::to_string(spr) + ", canal " + std::to_string(c + 1) + ": " +
                          std::to_string(canales[c].muestrasPorRegistro) + "); no se admite.");
        const std::optional<TipoValor> tipo = tipoValorGDF(canales[c].tipoDato);
        if (!tipo)
            return fallar("el canal " + std::to_string(c + 1) + " del archivo GDF usa el tipo de dato " +
                          std::to_string(canales[c].tipoDato) + ", que no se admite (1 a 7, 16 o 17).");
        formato[c] = {spr, *tipo};
        // Past the bytes present the sum only needs to say "too long" (and
        // must not overflow on the way).
        if (bytesPorRegistro <= presentes)
            bytesPorRegistro += static_cast<int64_t>(spr) * static_cast<int64_t>(bytesPorValor(*tipo));
    }

    // spr / (numerator / denominator), truncated toward zero; formed as
    // spr x denominator / numerator so that whole rates stay exact.
    const double frecuencia = static_cast<double>(spr) * denominador / numerador;
    if (!(frecuencia >= 1.0))
        return fallar("la frecuencia de muestreo del archivo GDF (" + std::to_string(spr) + " muestras cada " +
                      std::to_string(numerador) + "/" + std::to_string(denominador) + " s) no es válida.");
    if (frecuencia > frecuenciaMaxima)
        return fallar("la frecuencia de muestreo del archivo GDF (" + textoReal(frecuencia) +
                      " Hz) es mayor que 1 MHz: no es un registro de EEG.");

    // Only the complete records the file holds are read: a file cut short
    // loses its tail, never gains zeros that no one recorded.
    const int64_t completos = presentes / bytesPorRegistro;
    if (completos == 0)
        return fallar("el archivo no contiene ninguna muestra completa: tras la cabecera hay " +
                      std::to_string(presentes) + " bytes y cada registro de datos ocupa " +
                      (bytesPorRegistro > presentes ? "más" : std::to_string(bytesPorRegistro)) + ".");
    const int64_t registrosLeidos = std::min(numeroRegistros, completos);
    const int64_t numeroMuestras = registrosLeidos * spr;
    std::vector<std::string> notas;
    if (registrosLeidos < numeroRegistros)
        notas.push_back("El archivo está incompleto: se leyeron " + std::to_string(numeroMuestras) + " de las " +
                        textoProducto(numeroRegistros, spr) + " muestras por canal que declara su cabecera.");

    EEG eeg;
    try {
        eeg = reservarEEG(static_cast<int32_t>(frecuencia), ns, numeroMuestras);
    } catch (const std::bad_alloc&) {
        return fallar("no hay memoria para " + std::to_string(ns) + " canales x " + std::to_string(numeroMuestras) +
                      " muestras.");
    }
    // Texts stay whole (padding included) but valid UTF-8.
    eeg.sujeto = utf8Saneado(sujeto);
    eeg.identificacionRegistro = utf8Saneado(identificacion);
    eeg.fechaRegistro = utf8Saneado(fecha);
    eeg.idEquipo = idEquipo;
    eeg.idLaboratorio = idLaboratorio;
    eeg.idTecnico = idTecnico;
    eeg.reservado = utf8Saneado(reservado);
    *eeg.canales = std::move(canales);

    // Data records start at the header length, which may exceed the
    // 256 x (NS + 1) bytes of the standard headers.
    diagnostico("Cargando datos...");
    irA(longitudCabecera);
    const auto registro = static_cast<size_t>(bytesPorRegistro);
    const size_t registrosPorBloque =
        std::min(std::max<size_t>(1, bytesPorBloque / registro), static_cast<size_t>(registrosLeidos));
    std::vector<uint8_t> bloque(registrosPorBloque * registro);
    double* destino = eeg.matrices.front().memptr();
    const size_t nCanales = ns;
    const bool uniforme = spr == 1 && std::all_of(formato.begin(), formato.end(),
                                                  [&](const CanalGdf& f) { return f.tipo == formato[0].tipo; });
    for (int64_t b = 0; b < registrosLeidos;) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(registrosLeidos - b, static_cast<int64_t>(registrosPorBloque)));
        leerBloque(bloque.data(), n * registro);
        for (size_t j = 0; j < n; ++j) {
            const uint8_t* origen = bloque.data() + j * registro;
            // Column of the record's first value: record b holds samples b*spr ... b*spr + spr-1.
            double* columna = destino + (static_cast<size_t>(b) + j) * spr * nCanales;
            if (uniforme) {
                convertirValores(formato[0].tipo, origen, nCanales, columna, 1);
                continue;
            }
            for (size_t c = 0; c < nCanales; ++c) {
                convertirValores(formato[c].tipo, origen, spr, columna + c, nCanales);
                origen += spr * bytesPorValor(formato[c].tipo);
            }
        }
        b += static_cast<int64_t>(n);
    }

    diagnostico("Cargando eventos...");
    if (registrosLeidos < numeroRegistros) {
        // The table lies after the declared records: a short file has lost it.
        eeg.tablaEventos = tablaVacia();
        notas.push_back("Falta la tabla de eventos: el registro queda sin eventos.");
    } else {
        leerEventos(eeg, notas);
    }
    if (!notas.empty()) {
        std::string aviso;
        for (const std::string& n : notas) aviso += (aviso.empty() ? "" : " ") + n;
        avisar(aviso);
    }
    return eeg;
}

std::shared_ptr<TablaEventos> GdfFileReader::tablaVacia() {
    auto t = std::make_shared<TablaEventos>();
    t->modo = 1;
    return t;
}

void GdfFileReader::leerEventos(EEG& eeg, std::vector<std::string>& notas) {
    eeg.tablaEventos = tablaVacia();
    const int64_t disponibles = bytesRestantes();
    if (disponibles == 0) return;  // a recording without events
    if (disponibles < 8) {
        notas.push_back("La tabla de eventos está cortada (" + std::to_string(disponibles) +
                        " bytes): el registro queda sin eventos.");
        return;
    }
    uint8_t modo = leerByte();
    uint8_t saltar[3];
    leerBloque(saltar, 3);  // event sampling rate, not used
    const uint32_t declarados = leer32();
    if (modo != 1 && modo != 3) {
        notas.push_back("La tabla de eventos tiene un modo desconocido (" + std::to_string(modo) +
                        "): el registro queda sin eventos.");
        return;
    }
    // Positions, then types, then (mode 3) channels and durations, each an
    // array over the events. A count beyond the bytes that follow is cut to
    // the events whose arrays fit: nothing is read from bytes past the table.
    const int64_t resto = bytesRestantes();
    if (modo == 3 && 12 * int64_t{declarados} > resto && 6 * int64_t{declarados} <= resto) {
        // Positions and types are all there, channels and durations are not:
        // the mode byte is what is wrong.
        modo = 1;
        notas.push_back("La tabla de eventos dice ser de modo 3, pero el archivo no contiene sus canales ni "
                        "duraciones: se leyó como modo 1.");
    }
    const int64_t bytesPorEvento = modo == 1 ? 6 : 12;
    // The arrays' offsets depend on the count; with a count too large for the
    // bytes, the count the bytes hold lays them out.
    const auto n = static_cast<uint32_t>(std::min<int64_t>(declarados, resto / bytesPorEvento));
    if (n < declarados)
        notas.push_back("La tabla de eventos declara " + std::to_string(declarados) +
                        " eventos, pero el archivo solo tiene sitio para " + std::to_string(n) + "; se leyeron " +
                        std::to_string(n) + ".");

    std::vector<uint8_t> bytes(static_cast<size_t>(n) * static_cast<size_t>(bytesPorEvento));
    leerBloque(bytes.data(), bytes.size());
    const uint8_t* posiciones = bytes.data();
    const uint8_t* tipos = posiciones + 4 * size_t{n};
    const uint8_t* canales = tipos + 2 * size_t{n};
    const uint8_t* duraciones = canales + 2 * size_t{n};
    auto u16 = [](const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); };
    auto u32 = [](const uint8_t* p) {
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
               (static_cast<uint32_t>(p[3]) << 24);
    };

    TablaEventos& tabla = *eeg.tablaEventos;
    tabla.modo = modo;
    tabla.eventos.reserve(n);
    // An event must mark a sample of the record: GDF position k (from 1) is
    // column k - 1, so 0 and anything past the last sample are dropped.
    const int64_t ultima = std::min<int64_t>(eeg.numeroMuestras, INT32_MAX);
    uint32_t fuera = 0;
    std::map<std::pair<int32_t, int32_t>, Evento> colorPorTipo;
    for (uint32_t i = 0; i < n; ++i) {
        const int64_t posicionGdf = u32(posiciones + 4 * size_t{i});
        if (posicionGdf < 1 || posicionGdf > ultima) {
            ++fuera;
            continue;
        }
        Evento e;
        e.tipo = u16(tipos + 2 * size_t{i});
        e.posicion = static_cast<int32_t>(posicionGdf - 1);
        e.calificador = 1;
        if (modo == 3) {
            e.canal = u16(canales + 2 * size_t{i});
            e.duracion = static_cast<int32_t>(std::min<int64_t>(u32(duraciones + 4 * size_t{i}), INT32_MAX));
        }
        // fijarEvento scans the kinds; a kind already met takes its colour from
        // the index, so a long table with many kinds stays linear.
        const auto clave = std::make_pair(e.tipo, e.calificador);
        const auto conocido = colorPorTipo.find(clave);
        if (conocido == colorPorTipo.end()) {
            fijarEvento(tabla, e, static_cast<int32_t>(tabla.eventos.size()));
            colorPorTipo.emplace(clave, tabla.tipos.back());
        } else {
            e.rojo = conocido->second.rojo;
            e.verde = conocido->second.verde;
            e.azul = conocido->second.azul;
            tabla.eventos.push_back(e);
        }
    }
    tabla.numeroEventos = static_cast<int32_t>(tabla.eventos.size());
    if (fuera > 0)
        notas.push_back("Se descartaron " + std::to_string(fuera) + " de los " + std::to_string(n) +
                        " eventos por caer fuera de las " + std::to_string(eeg.numeroMuestras) + " muestras del registro.");
}
