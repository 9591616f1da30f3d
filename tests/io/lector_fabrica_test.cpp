#include <gtest/gtest.h>

#include "io/DatFileReader.h"
#include "io/GdfFileReader.h"
#include "io/cargarRegistro.h"
#include "io/crearLector.h"
#include "tests/io/archivosPrueba.h"

namespace {

bool esGdf(const std::unique_ptr<FileReader>& l) { return dynamic_cast<GdfFileReader*>(l.get()) != nullptr; }
bool esDat(const std::unique_ptr<FileReader>& l) { return dynamic_cast<DatFileReader*>(l.get()) != nullptr; }

std::unique_ptr<FileReader> crearCallado(const std::string& ruta) {
    testing::internal::CaptureStdout();
    auto l = crearLector(ruta);
    testing::internal::GetCapturedStdout();
    return l;
}

}  // namespace

TEST(CrearLector, EscribeRutaYTipo) {
    testing::internal::CaptureStdout();
    auto l = crearLector("/datos/sesion.GdF");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "loading... /datos/sesion.GdF\ndetectado tipo GDF\n");
    EXPECT_TRUE(esGdf(l));
    testing::internal::CaptureStdout();
    l = crearLector("a.dat");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "loading... a.dat\ndetectado tipo DAT\n");
    EXPECT_TRUE(esDat(l));
}

TEST(CrearLector, SoloCuentaLaUltimaExtension) {
    EXPECT_TRUE(esDat(crearCallado("x.gdf.dat")));
    EXPECT_TRUE(esGdf(crearCallado("x.dat.GDF")));
    EXPECT_EQ(crearCallado("/datos.gdf/archivo"), nullptr);
    EXPECT_EQ(crearCallado("registro.edf"), nullptr);
    EXPECT_EQ(crearCallado("registro.gdff"), nullptr);
    EXPECT_EQ(crearCallado("registro."), nullptr);
    EXPECT_EQ(crearCallado(""), nullptr);
    EXPECT_TRUE(esGdf(crearCallado("gdf")));  // no "." at all: the whole path is compared
}

TEST(CargarRegistro, LeeLosDosFormatos) {
    testing::internal::CaptureStdout();
    const EEG d = cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.dat");
    const EEG g = cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(d.numeroCanales, 8u);
    EXPECT_EQ(g.numeroMuestras, 56840);
}

TEST(CargarRegistro, FallosLanzanErrorLecturaConMotivo) {
    prueba::CarpetaTemporal carpeta;
    prueba::GdfPrueba v2;
    v2.version = "GDF 2.20";
    v2.canales.resize(1);
    v2.registros = 1;
    v2.datos = {1, 0};
    const std::string rutaV2 = carpeta.escribir("v2.gdf", prueba::archivoGdf(v2));
    const std::string vacio = carpeta.escribir("vacio.dat", std::string());
    const std::string otro = carpeta.escribir("registro.edf", std::string("0       "));
    struct Caso {
        std::string ruta, fragmento;
    };
    for (const Caso& c : {Caso{"/no/existe.gdf", "no existe"}, Caso{rutaV2, "versión 2"}, Caso{vacio, "CR LF"},
                          Caso{otro, "extensión"}}) {
        testing::internal::CaptureStdout();
        try {
            cargarRegistro(c.ruta);
            ADD_FAILURE() << c.ruta << " se cargó";
        } catch (const ErrorLectura& e) {
            const std::string texto = e.what();
            EXPECT_NE(texto.find(c.ruta), std::string::npos) << texto;
            EXPECT_NE(texto.find(c.fragmento), std::string::npos) << texto;
        }
        testing::internal::GetCapturedStdout();
    }
}

TEST(CargarRegistro, ConCedPoneEtiquetasYLocalizaciones) {
    testing::internal::CaptureStdout();
    const EEG e = cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf",
                                 std::optional<std::string>(ONDELAR_RAIZ "/../shared/data/p300_8ch.ced"));
    const EEG sinCed = cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf", std::nullopt);
    EXPECT_THROW(cargarRegistro(ONDELAR_RAIZ "/../shared/data/motor_64ch.dat",
                                std::optional<std::string>(ONDELAR_RAIZ "/../shared/data/p300_8ch.ced")),
                 ErrorLectura);
    EXPECT_THROW(cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf", std::optional<std::string>("/no/existe.ced")),
                 ErrorLectura);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ((*e.canales)[0].etiqueta, "Fz");
    EXPECT_TRUE((*e.canales)[7].localizacion.has_value());
    EXPECT_FALSE((*sinCed.canales)[0].localizacion.has_value());
}
