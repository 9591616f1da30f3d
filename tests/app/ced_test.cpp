#include <gtest/gtest.h>

#include "app/leerCED.h"
#include "io/DatFileReader.h"
#include "tests/io/archivosPrueba.h"

namespace {

const std::string cabecera = "Number\tlabels\ttype\ttheta\tradius\tX\tY\tZ\tsph_theta\tsph_phi\tsph_radius\turchan\tref\tdatachan\n";

// A record of n channels labelled "own0", "own1", ...
EEG registro(uint32_t n) {
    EEG e(256, n, 4);
    for (uint32_t i = 0; i < n; ++i) (*e.canales)[i].etiqueta = "own" + std::to_string(i);
    return e;
}

}  // namespace

TEST(LeerCED, ColumnaDeTipoVaciaSeSalta) {
    prueba::CarpetaTemporal carpeta;
    const std::string ruta =
        carpeta.escribir("a.ced", cabecera + "1\tFp1\t\t-17.926\t0.514\t80.8\t26.1\t-4.0\t17.926\t-2.5\t85\t1\t\t1\n");
    EEG e = registro(1);
    const ResultadoCED r = leerCED(e, ruta);
    EXPECT_TRUE(r.abierto);
    EXPECT_EQ(r.canalesLeidos, 1u);
    EXPECT_EQ((*e.canales)[0].etiqueta, "Fp1");
    ASSERT_TRUE((*e.canales)[0].localizacion.has_value());
    EXPECT_EQ(*(*e.canales)[0].localizacion, (std::array<double, 3>{80.8, 26.1, -4.0}));
}

TEST(LeerCED, ColumnaDeTipoPresente) {
    prueba::CarpetaTemporal carpeta;
    const std::string ruta =
        carpeta.escribir("a.ced", cabecera + "1\tFp1\tEEG\t-17.926\t0.514\t80.8\t26.1\t-4.0\t17.926\t-2.5\t85\t1\t\t1\r\n");
    EEG e = registro(1);
    leerCED(e, ruta);
    EXPECT_EQ((*e.canales)[0].etiqueta, "Fp1");
    EXPECT_EQ(*(*e.canales)[0].localizacion, (std::array<double, 3>{80.8, 26.1, -4.0}));
}

TEST(LeerCED, LineasDeMasSeIgnoran) {
    prueba::CarpetaTemporal carpeta;
    const std::string ruta = carpeta.escribir("a.ced", cabecera + "1\tA\t\t0\t0\t1\t2\t3\n\n2\tB\t\t0\t0\t4\t5\t6\n"
                                                                  "3\tC\t\t0\t0\t7\t8\t9\n");
    EEG e = registro(2);
    EXPECT_EQ(leerCED(e, ruta).canalesLeidos, 2u);
    EXPECT_EQ((*e.canales)[1].etiqueta, "B");
    EXPECT_EQ(*(*e.canales)[1].localizacion, (std::array<double, 3>{4, 5, 6}));
}

TEST(LeerCED, CanalesSinLineaConservanSuEtiquetaYNoTienenLocalizacion) {
    prueba::CarpetaTemporal carpeta;
    // Channel 1's line has a non-numeric coordinate: reading stops there.
    const std::string ruta = carpeta.escribir("a.ced", cabecera + "1\tA\t\t0\t0\t1\t2\t3\n2\tB\t\t0\t0\tx\t5\t6\n"
                                                                  "3\tC\t\t0\t0\t7\t8\t9\n");
    EEG e = registro(4);
    EXPECT_EQ(leerCED(e, ruta).canalesLeidos, 1u);
    EXPECT_EQ((*e.canales)[0].etiqueta, "A");
    for (uint32_t i = 1; i < 4; ++i) {
        EXPECT_EQ((*e.canales)[i].etiqueta, "own" + std::to_string(i));
        EXPECT_FALSE((*e.canales)[i].localizacion.has_value());
    }
    // Only the header line, or not even that.
    EEG f = registro(2);
    EXPECT_EQ(leerCED(f, carpeta.escribir("b.ced", cabecera)).canalesLeidos, 0u);
    EXPECT_EQ(leerCED(f, carpeta.escribir("c.ced", std::string())).canalesLeidos, 0u);
    EXPECT_EQ((*f.canales)[0].etiqueta, "own0");
    // A line cut short after the label.
    EXPECT_EQ(leerCED(f, carpeta.escribir("d.ced", cabecera + "1\tA")).canalesLeidos, 0u);
    EXPECT_FALSE((*f.canales)[0].localizacion.has_value());
}

TEST(LeerCED, ArchivoInexistenteNoCambiaNada) {
    EEG e = registro(2);
    testing::internal::CaptureStdout();
    const ResultadoCED r = leerCED(e, "/no/existe.ced");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "fallo al abrir el archivo\n");
    EXPECT_FALSE(r.abierto);
    EXPECT_EQ((*e.canales)[0].etiqueta, "own0");
}

TEST(LeerCED, ArchivosRealesDanEtiquetasYCoordenadas) {
    testing::internal::CaptureStdout();
    DatFileReader lector;
    EEG p300 = lector.leer(ONDELAR_RAIZ "/../shared/data/p300_8ch.dat");
    EEG motor = lector.leer(ONDELAR_RAIZ "/../shared/data/motor_64ch.dat");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(leerCED(p300, ONDELAR_RAIZ "/../shared/data/p300_8ch.ced").canalesLeidos, 8u);
    EXPECT_EQ((*p300.canales)[0].etiqueta, "Fz");
    EXPECT_EQ(*(*p300.canales)[0].localizacion, (std::array<double, 3>{58.512, -0.312, 66.462}));
    EXPECT_EQ(leerCED(motor, ONDELAR_RAIZ "/../shared/data/motor_64ch.ced").canalesLeidos, 64u);
    EXPECT_EQ((*motor.canales)[0].etiqueta, "FC5");
    EXPECT_EQ(*(*motor.canales)[0].localizacion, (std::array<double, 3>{18.643, 77.215, 24.460}));
    EXPECT_TRUE((*motor.canales)[63].localizacion.has_value());
}
