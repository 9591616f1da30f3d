// `run --espectro`: the spectrum of the last branch written in the same
// pass as the output, with the same files and numbers as the espectro order,
// and all or none of the files when the run fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/correrEjecutor.h"
#include "tests/io/archivosPrueba.h"

namespace fs = std::filesystem;
using prueba::CarpetaTemporal;
using prueba::textoDeArchivo;

namespace {

std::string muestra(const std::string& nombre) { return std::string(ONDELAR_RAIZ "/../shared/data/") + nombre; }

using prueba::Corrida;

// Runs the runner in `carpeta`, as a user would from there; the output kept
// is standard error alone.
Corrida correr(const std::vector<std::string>& argumentos, const std::string& carpeta) {
    return prueba::correrEjecutor(argumentos, carpeta, prueba::Salidas::soloErrores);
}

// A CSV file as its header line and its numbers, row by row.
struct Tabla {
    std::string cabecera;
    std::vector<std::vector<double>> filas;
};

Tabla leerTabla(const std::string& ruta) {
    std::istringstream texto(textoDeArchivo(ruta));
    Tabla t;
    std::getline(texto, t.cabecera);
    for (std::string linea; std::getline(texto, linea);) {
        std::vector<double> fila;
        std::istringstream campos(linea);
        for (std::string campo; std::getline(campos, campo, ',');) {
            double v = 0.0;
            std::from_chars(campo.data(), campo.data() + campo.size(), v);
            fila.push_back(v);
        }
        t.filas.push_back(fila);
    }
    return t;
}

// Filter and common average, cheap and with a visible effect on the spectrum.
const std::vector<std::string> pasos = {"--step", "filtro:BANDPASS,1,40,40", "--step", "car"};

std::vector<std::string> con(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

// One run with the spectrum of its output and of the recording as read.
// The same code writes them as the espectro order: byte-identical files;
// --espectro leaves the output as it was. `espectro` on the GDF output,
// which holds the branch as 32-bit floats (a relative step of 6e-8), gives
// each density, a sum of squares, to about 1e-7 of the largest in its
// channel, with the same frequencies and header (the labels the GDF
// carries). The record names the electrodes (labels as the spectrum writes
// them, .CED positions).
TEST(RunEspectro, ElDeLaSalidaYElInicialComoLaOrdenEspectro) {
    CarpetaTemporal t;
    const std::vector<std::string> registro = {muestra("p300_8ch.gdf"), "--ced", muestra("p300_8ch.ced")};
    const Corrida run = correr(con(con(con({"run"}, registro), pasos),
                                   {"--out", "r.gdf", "--segmento", "1.5", "--espectro", "e.csv", "--bandas", "b.csv",
                                    "--espectro-inicial", "i.csv", "--procedencia", "r.json"}),
                               t.ruta());
    ASSERT_EQ(run.codigo, 0) << run.salida;
    EXPECT_NE(run.salida.find("guardado r.gdf\nguardado i.csv\nguardado e.csv\nguardado b.csv\n"), std::string::npos) << run.salida;
    const Corrida espectro = correr(
        con(con(con({"espectro"}, registro), pasos), {"--segmento", "1.5", "--out", "e2.csv", "--bandas", "b2.csv"}),
        t.ruta());
    ASSERT_EQ(espectro.codigo, 0) << espectro.salida;
    ASSERT_EQ(correr(con(con({"espectro"}, registro), {"--segmento", "1.5", "--out", "i2.csv"}), t.ruta()).codigo, 0);
    ASSERT_EQ(correr(con(con(con({"run"}, registro), pasos), {"--out", "sin.gdf"}), t.ruta()).codigo, 0);
    ASSERT_EQ(correr({"espectro", "r.gdf", "--segmento", "1.5", "--out", "desde_salida.csv"}, t.ruta()).codigo, 0);
    EXPECT_FALSE(textoDeArchivo(t.ruta() + "/e.csv").empty());
    EXPECT_EQ(textoDeArchivo(t.ruta() + "/e.csv"), textoDeArchivo(t.ruta() + "/e2.csv"));
    EXPECT_EQ(textoDeArchivo(t.ruta() + "/b.csv"), textoDeArchivo(t.ruta() + "/b2.csv"));
    EXPECT_EQ(textoDeArchivo(t.ruta() + "/i.csv"), textoDeArchivo(t.ruta() + "/i2.csv"));
    EXPECT_NE(textoDeArchivo(t.ruta() + "/i.csv"), textoDeArchivo(t.ruta() + "/e.csv"));
    EXPECT_EQ(textoDeArchivo(t.ruta() + "/r.gdf"), textoDeArchivo(t.ruta() + "/sin.gdf"));
    EXPECT_EQ(t.archivos(), (std::vector<std::string>{"b.csv", "b2.csv", "desde_salida.csv", "e.csv", "e2.csv",
                                                            "i.csv", "i2.csv", "r.gdf", "r.json", "sin.gdf"}));

    const Tabla a = leerTabla(t.ruta() + "/e.csv"), b = leerTabla(t.ruta() + "/desde_salida.csv");
    EXPECT_EQ(a.cabecera, "frecuencia,Fz,Cz,P3,Pz,P4,PO7,Oz,PO8");
    EXPECT_EQ(a.cabecera, b.cabecera);
    ASSERT_EQ(a.filas.size(), 193u);  // 384-sample segments (1.5 s at 256 Hz): 193 bins
    ASSERT_EQ(b.filas.size(), a.filas.size());
    for (size_t c = 1; c <= 8; ++c) {
        double mayor = 0.0;
        for (const auto& f : a.filas) mayor = std::max(mayor, f.at(c));
        ASSERT_GT(mayor, 0.0);
        for (size_t k = 0; k < a.filas.size(); ++k) {
            EXPECT_EQ(a.filas[k][0], b.filas[k][0]);
            EXPECT_NEAR(a.filas[k][c], b.filas[k][c], 1e-6 * mayor) << "canal " << c << ", fila " << k;
        }
    }
    // The record names the spectrum files with their checksums.
    const std::string procedencia = textoDeArchivo(t.ruta() + "/r.json");
    for (const auto& [clave, archivo] : {std::pair{"espectro", "e.csv"}, {"espectroInicial", "i.csv"}, {"bandas", "b.csv"}})
        EXPECT_NE(procedencia.find("\"" + std::string(clave) + "\": {\"ruta\": \"" + fs::canonical(t.ruta()).string() +
                                   "/" + archivo + "\", \"bytes\": "),
                  std::string::npos) << clave << procedencia;
    EXPECT_NE(procedencia.find("\"segundosProcesador\": "), std::string::npos) << procedencia;
    // Fz of p300_8ch.ced: X 58.512, Y -0.312, Z 66.462.
    EXPECT_NE(procedencia.find("{\"etiqueta\": \"Fz\", \"posicion\": [58.512, -0.312, 66.462]}"), std::string::npos)
        << procedencia;
}

// A failing step after the spectrum was asked for: nothing of this run is
// left, and earlier files stay as they were; with --procedencia the failed
// record is all that remains, as for the output alone.
TEST(RunEspectro, UnaOrdenFallidaNoDejaNingunArchivo) {
    CarpetaTemporal t;
    for (const char* n : {"r.gdf", "e.csv", "b.csv"}) t.escribir(n, std::string("previo"));
    const std::vector<std::string> fallida = {"run", muestra("p300_8ch.gdf"), "--step", "car", "--step",
                                              "filtro:LOW,0,40,60", "--out", "r.gdf", "--espectro", "e.csv",
                                              "--bandas", "b.csv", "--espectro-inicial", "i.csv"};
    EXPECT_EQ(correr(fallida, t.ruta()).codigo, 1);
    EXPECT_EQ(t.archivos(), (std::vector<std::string>{"b.csv", "e.csv", "r.gdf"}));
    for (const char* n : {"r.gdf", "e.csv", "b.csv"}) EXPECT_EQ(textoDeArchivo(t.ruta() + "/" + n), "previo") << n;

    const Corrida c = correr(con(fallida, {"--procedencia", "r.gdf.json"}), t.ruta());
    EXPECT_EQ(c.codigo, 1);
    EXPECT_EQ(t.archivos(), std::vector<std::string>{"r.gdf.json"});
    const std::string registro = textoDeArchivo(t.ruta() + "/r.gdf.json");
    EXPECT_NE(registro.find("\"estado\": \"fallido\""), std::string::npos) << registro;
    EXPECT_NE(registro.find("\"espectro\": null"), std::string::npos) << registro;
}

// --espectro-inicial alone, without --espectro.
TEST(RunEspectro, ElEspectroInicialSolo) {
    CarpetaTemporal u;
    ASSERT_EQ(correr({"run", muestra("p300_8ch.gdf"), "--out", "r.bin", "--espectro-inicial", "i.csv"}, u.ruta()).codigo, 0);
    EXPECT_EQ(u.archivos(), (std::vector<std::string>{"i.csv", "r.bin"}));
}

// Misspelt spectrum options: exit code 2 before anything is read, one error
// line, no file.
TEST(RunEspectro, RechazosDeUso) {
    const struct {
        std::vector<std::string> argumentos;
        const char* contiene;
    } casos[] = {
        {{"--bandas", "b.csv"}, "--bandas solo vale con --espectro"},
        {{"--segmento", "2"}, "--segmento solo vale con --espectro"},
        {{"--espectro", "e.txt"}, "debe ser .csv"},
        {{"--espectro", "e.csv", "--bandas", "b.gdf"}, "debe ser .csv"},
        {{"--espectro", "e.csv", "--segmento", "0"}, "--segmento \"0\""},
        {{"--espectro", "r.csv"}, "es también otra salida"},
        {{"--espectro", "e.csv", "--bandas", "./e.csv"}, "es también otra salida"},
        {{"--espectro", "e.csv", "--espectro", "f.csv"}, "más de una vez"},
        {{"--espectro"}, "falta el valor de --espectro"},
        {{"--espectro-inicial", "i.txt"}, "debe ser .csv"},
        {{"--espectro-inicial", "r.csv"}, "es también otra salida"},
        {{"--espectro-inicial", "i.csv", "--espectro", "./i.csv"}, "es también otra salida"},
        {{"--espectro-inicial", "i.csv", "--bandas", "b.csv"}, "--bandas solo vale con --espectro"},
    };
    CarpetaTemporal t;
    for (const auto& c : casos) {
        const Corrida r = correr(con({"run", muestra("p300_8ch.gdf"), "--out", "r.csv"}, c.argumentos), t.ruta());
        EXPECT_EQ(r.codigo, 2) << c.contiene;
        EXPECT_EQ(r.salida.rfind("ondelar-cli: error: ", 0), 0u) << r.salida;
        EXPECT_NE(r.salida.find(c.contiene), std::string::npos) << r.salida;
        EXPECT_EQ(std::count(r.salida.begin(), r.salida.end(), '\n'), 1) << r.salida;
    }
    EXPECT_TRUE(t.archivos().empty());
}
