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
#include "io/textoNumerico.h"
#include "io/valoresBinarios.h"

namespace {

constexpr size_t bytesPorBloque = 256 * 1024;  // stays in the L2 cache while decoded

// A header may promise more than a truncated file holds (the missing bytes
// read as zeros), but not absurdly more: past twice the bytes present plus
// this margin the file is corrupt and nothing is allocated for it.
constexpr int64_t margenTruncado = 1 << 20;

bool excedeArchivo(int64_t prometidos, int64_t presentes) {
    return prometidos > 2 * presentes + margenTruncado;
}

struct CanalGdf {
    uint32_t muestrasPorRegistro = 0;
    TipoValor tipo = TipoValor::int16;
};

}  // namespace

EEG GdfFileReader::leer(std::string ruta) { return leerArchivo(ruta); }

EEG GdfFileReader::decodificar() {
    const int64_t tamanoArchivo = tamano();
    const std::string version = leerTexto(8);
    if (version.compare(0, 3, "GDF") != 0) return fallar("el archivo no empieza por «GDF»: no es un archivo GDF.");
    const size_t blanco = version.rfind(' ');
    const std::string numero = blanco == std::string::npos ? version : version.substr(blanco + 1);
    const std::optional<int64_t> mayor = enteroInicial(numero);
    if (!mayor || *mayor < 0) return fallar("no se puede leer la versión del archivo GDF («" + version.substr(0, version.find('\0')) + "»).");
    diagnostico("detectado el formato: " + std::to_string(*mayor));
    if (*mayor >= 2)
        return fallar("el archivo es GDF versión " + std::to_string(*mayor) + "; solo se admite la versión 1.",
                      "Version no soportada por ahora");

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
    for (Canal& c : canales) c.etiqueta = leerTexto(16);
    for (Canal& c : canales) c.transductor = leerTexto(80);
    for (Canal& c : canales) c.unidad = leerTexto(8);
    for (Canal& c : canales) c.minimoFisico = leerDoubleEscalado();
    for (Canal& c : canales) c.maximoFisico = leerDoubleEscalado();
    for (Canal& c : canales) c.minimoDigital = static_cast<int64_t>(leer64());
    for (Canal& c : canales) c.maximoDigital = static_cast<int64_t>(leer64());
    for (Canal& c : canales) c.prefiltrado = leerTexto(80);
    for (Canal& c : canales) c.muestrasPorRegistro = leer32();
    for (Canal& c : canales) c.tipoDato = leer32();

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
        bytesPorRegistro += static_cast<int64_t>(spr) * static_cast<int64_t>(bytesPorValor(*tipo));
    }

    // spr / (numerator / denominator), truncated toward zero.
    const double frecuencia = static_cast<double>(spr) / (static_cast<double>(numerador) / denominador);
    if (!(frecuencia >= 1.0) || frecuencia > INT32_MAX)
        return fallar("la frecuencia de muestreo del archivo GDF (" + std::to_string(spr) + " muestras cada " +
                      std::to_string(numerador) + "/" + std::to_string(denominador) + " s) no es válida.");

    const int64_t presentes = tamanoArchivo - longitudCabecera;
    if (numeroRegistros > INT64_MAX / bytesPorRegistro || excedeArchivo(numeroRegistros * bytesPorRegistro, presentes))
        return fallar("la cabecera GDF promete " + std::to_string(numeroRegistros) + " registros de " +
                      std::to_string(bytesPorRegistro) + " bytes, mucho más de lo que contiene el archivo (" +
                      std::to_string(presentes) + " bytes de datos).");
    const int64_t numeroMuestras = numeroRegistros * spr;

    EEG eeg;
    try {
        eeg = reservarEEG(static_cast<int32_t>(frecuencia), ns, numeroMuestras);
    } catch (const std::bad_alloc&) {
        return fallar("no hay memoria para " + std::to_string(ns) + " canales x " + std::to_string(numeroMuestras) +
                      " muestras.");
    }
    eeg.sujeto = sujeto;
    eeg.identificacionRegistro = identificacion;
    eeg.fechaRegistro = fecha;
    eeg.idEquipo = idEquipo;
    eeg.idLaboratorio = idLaboratorio;
    eeg.idTecnico = idTecnico;
    eeg.reservado = reservado;
    *eeg.canales = std::move(canales);

    // Data records start at the header length, which may exceed the
    // 256 x (NS + 1) bytes of the standard headers.
    diagnostico("Cargando datos...");
    irA(longitudCabecera);
    const auto registro = static_cast<size_t>(bytesPorRegistro);
    const size_t registrosPorBloque =
        std::min(std::max<size_t>(1, bytesPorBloque / registro), static_cast<size_t>(numeroRegistros));
    std::vector<uint8_t> bloque(registrosPorBloque * registro);
    double* destino = eeg.matrices.front().memptr();
    const size_t nCanales = ns;
    const bool uniforme = spr == 1 && std::all_of(formato.begin(), formato.end(),
                                                  [&](const CanalGdf& f) { return f.tipo == formato[0].tipo; });
    for (int64_t b = 0; b < numeroRegistros;) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(numeroRegistros - b, static_cast<int64_t>(registrosPorBloque)));
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
    if (!leerEventos(eeg)) return EEG();
    return eeg;
}

bool GdfFileReader::leerEventos(EEG& eeg) {
    auto tabla = std::make_shared<TablaEventos>();
    tabla->modo = leerByte();
    uint8_t saltar[3];
    leerBloque(saltar, 3);  // event sampling rate, not used
    const uint32_t n = leer32();
    const int64_t bytesPorEvento = tabla->modo == 1 ? 6 : 12;
    if (n > static_cast<uint32_t>(INT32_MAX) || excedeArchivo(static_cast<int64_t>(n) * bytesPorEvento, bytesRestantes())) {
        fallar("la tabla de eventos declara " + std::to_string(n) + " eventos, mucho más de lo que contiene el archivo.");
        return false;
    }
    // Positions, then types, then (modes other than 1) channels and durations,
    // each an array over the events.
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

    tabla->numeroEventos = static_cast<int32_t>(n);
    tabla->eventos.reserve(n);
    std::map<std::pair<int32_t, int32_t>, Evento> colorPorTipo;
    for (uint32_t i = 0; i < n; ++i) {
        Evento e;
        e.tipo = u16(tipos + 2 * size_t{i});
        const int64_t posicionGdf = u32(posiciones + 4 * size_t{i});
        e.posicion = static_cast<int32_t>(std::min<int64_t>(posicionGdf - 1, INT32_MAX));
        e.calificador = 1;
        if (tabla->modo != 1) {
            e.canal = u16(canales + 2 * size_t{i});
            e.duracion = static_cast<int32_t>(std::min<int64_t>(u32(duraciones + 4 * size_t{i}), INT32_MAX));
        }
        // fijarEvento scans the kinds; a kind already met takes its colour from
        // the index, so a long table with many kinds stays linear.
        const auto clave = std::make_pair(e.tipo, e.calificador);
        const auto conocido = colorPorTipo.find(clave);
        if (conocido == colorPorTipo.end()) {
            fijarEvento(*tabla, e, static_cast<int32_t>(i));
            colorPorTipo.emplace(clave, tabla->tipos.back());
        } else {
            e.rojo = conocido->second.rojo;
            e.verde = conocido->second.verde;
            e.azul = conocido->second.azul;
            tabla->eventos.push_back(e);
        }
    }
    eeg.tablaEventos = std::move(tabla);
    return true;
}
