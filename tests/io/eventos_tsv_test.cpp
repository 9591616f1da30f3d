#include <gtest/gtest.h>

#include <sstream>

#include "io/eventosTSV.h"
#include "tests/io/archivosPrueba.h"

namespace {

EventosTSV leer(const std::string& texto, double frecuencia = 100.0, int64_t muestras = 1000) {
    std::istringstream s(texto);
    return leerEventosTSV(s, frecuencia, muestras);
}

// The error text of a table that must be refused.
std::string error(const std::string& texto) {
    try {
        leer(texto);
    } catch (const ErrorEventosTSV& e) {
        return e.what();
    }
    return "(sin error)";
}

}  // namespace

TEST(EventosTSV, ValoresEnterosSonTipoPuntoUnoYTextosSeNumeranDespues) {
    // At 100 Hz: 1.004 s is sample 100.4 -> 100, 2.5 s -> 250, 0.126 s -> 12.6 -> 13.
    // Values 3 and 7 are kinds 3.1 and 7.1; "n/a" values take their trial_type,
    // numbered from 8 (one above 7) in order of appearance: estimulo 8, respuesta 9.
    const EventosTSV r = leer(
        "onset\tduration\tvalue\ttrial_type\n"
        "1.004\t0.5\t3\tobjetivo\n"
        "2.5\tn/a\tn/a\testimulo\n"
        "0.126\t0\t7\tn/a\n"
        "3\tn/a\tn/a\trespuesta\n"
        "4\tn/a\tn/a\testimulo\n"
        "5\tn/a\t2.4\tn/a\n");
    ASSERT_TRUE(r.tabla);
    EXPECT_EQ(r.descartados, 0u);
    const auto& e = r.tabla->eventos;
    ASSERT_EQ(e.size(), 6u);
    // Sorted by sample: 13 (7.1), 100 (3.1), 250 (8.1), 300 (9.1), 400 (8.1), 500 (2.4).
    const int32_t posiciones[] = {13, 100, 250, 300, 400, 500};
    const std::pair<int32_t, int32_t> tipos[] = {{7, 1}, {3, 1}, {8, 1}, {9, 1}, {8, 1}, {2, 4}};
    for (size_t i = 0; i < e.size(); ++i) {
        EXPECT_EQ(e[i].posicion, posiciones[i]) << i;
        EXPECT_EQ(std::make_pair(e[i].tipo, e[i].calificador), tipos[i]) << i;
    }
    EXPECT_EQ(e[1].duracion, 50);
    EXPECT_EQ(r.tabla->modo, 3);  // an event with a duration
    EXPECT_EQ(r.tabla->textos.at({3, 1}), "objetivo");
    EXPECT_EQ(r.tabla->textos.at({8, 1}), "estimulo");
    EXPECT_EQ(r.tabla->textos.at({9, 1}), "respuesta");
    EXPECT_FALSE(r.tabla->textos.count({7, 1}));
    EXPECT_EQ(nombreTipo(*r.tabla, r.tabla->tipos[2]), "8.1 (estimulo)");
}

TEST(EventosTSV, SoloTrialTypeNumeraDesdeUno) {
    // No value column: kinds 1.1, 2.1 by first appearance in the file, not by onset.
    const EventosTSV r = leer("onset\ttrial_type\r\n9\tb\r\n1\ta\r\n\r\n2\tb\r\n");
    ASSERT_TRUE(r.tabla);
    ASSERT_EQ(r.tabla->eventos.size(), 3u);
    EXPECT_EQ(r.tabla->eventos[0].tipo, 2);  // "a" at 1 s, the second text met
    EXPECT_EQ(r.tabla->eventos[1].tipo, 1);
    EXPECT_EQ(r.tabla->textos.at({1, 1}), "b");
    EXPECT_EQ(r.tabla->modo, 1);
}

TEST(EventosTSV, FueraDelRegistroSeDescartan) {
    // 1000 samples at 100 Hz: 10 s is sample 1000, outside; -0.1 s too.
    const EventosTSV r = leer("onset\tvalue\n-0.1\t1\n9.99\t1\n10\t2\n");
    ASSERT_TRUE(r.tabla);
    EXPECT_EQ(r.tabla->eventos.size(), 1u);
    EXPECT_EQ(r.descartados, 2u);
    EXPECT_EQ(r.tabla->tipos.size(), 1u);
}

TEST(EventosTSV, SinEventosNoHayTabla) {
    EXPECT_FALSE(leer("onset\tduration\ttrial_type\n").tabla);
    EXPECT_FALSE(leer("\xEF\xBB\xBFonset\tvalue\n20\t1\n").tabla);  // BOM, one event outside
}

TEST(EventosTSV, TablasMalasDicenLaLinea) {
    const struct {
        const char* nombre;
        std::string texto;
        std::string contiene;
    } casos[] = {
        {"vacia", "", "no tiene línea de cabecera"},
        {"sin onset", "inicio\tvalue\n1\t1\n", "línea 1: la cabecera no tiene la columna onset"},
        {"sin tipo", "onset\tduration\n1\t0\n", "línea 1: la cabecera no tiene la columna value"},
        {"campos de menos", "onset\tvalue\n1\t1\n2\n", "línea 3: tiene 1 campos y la cabecera 2"},
        {"campos de mas", "onset\tvalue\n1\t1\t1\n", "línea 2: tiene 3 campos"},
        {"onset texto", "onset\tvalue\nuno\t1\n", "línea 2: la columna onset tiene «uno»"},
        {"onset coma", "onset\tvalue\n1,5\t1\n", "«1,5»"},
        {"onset n/a", "onset\tvalue\nn/a\t1\n", "«n/a»"},
        {"onset infinito", "onset\tvalue\ninf\t1\n", "«inf»"},
        {"duracion negativa", "onset\tduration\tvalue\n1\t-2\t1\n", "línea 2: la columna duration tiene «-2»"},
        {"sin value ni trial_type", "onset\tvalue\ttrial_type\n1\t1\ta\n2\tn/a\tn/a\n",
         "línea 3: el evento no tiene value ni trial_type"},
    };
    for (const auto& c : casos) EXPECT_NE(error(c.texto).find(c.contiene), std::string::npos) << c.nombre << ": " << error(c.texto);
}

TEST(EventosTSV, ArchivoQueNoExisteYFrecuenciaNula) {
    // The error of a file names it.
    const auto errorDe = [](const std::string& ruta) {
        try {
            leerEventosTSV(ruta, 100.0, 10);
        } catch (const ErrorEventosTSV& e) {
            return std::string(e.what());
        }
        return std::string("(sin error)");
    };
    EXPECT_NE(errorDe("/no/existe_events.tsv").find("/no/existe_events.tsv"), std::string::npos);
    prueba::CarpetaTemporal carpeta;
    // 1 s is sample 100, past the 10 samples: no table, no error.
    EXPECT_EQ(errorDe(carpeta.escribir("a_events.tsv", "onset\tvalue\n1\tx\n")), "(sin error)");
    EXPECT_NE(errorDe(carpeta.escribir("b_events.tsv", "onset\n")).find("b_events.tsv\": línea 1"), std::string::npos);
    std::istringstream s("onset\tvalue\n");
    EXPECT_THROW(leerEventosTSV(s, 0.0, 10), std::invalid_argument);
}
