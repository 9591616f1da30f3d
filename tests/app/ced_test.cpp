#include <gtest/gtest.h>

#include "app/leerCED.h"
#include "io/DatFileReader.h"
#include "tests/io/archivosPrueba.h"

namespace {
const std::string cabecera = "Number\tlabels\ttype\ttheta\tradius\tX\tY\tZ\tsph_theta\tsph_phi\tsph_radius\n";
using Punto = std::array<double, 3>;
}  // namespace

TEST(LeerCED, ColumnaDeTipoLineasDeMenosYMalas) {
    prueba::CarpetaTemporal carpeta;
    const struct {
        std::string texto;
        uint32_t leidos;
    } casos[] = {
        {cabecera + "1\tFp1\t\t-17.9\t0.51\t80.8\t26.1\t-4.0\t17.9\t-2.5\t85\n2\tB\t\t0\t0\t4\t5\t6\n"
                    "3\tC\t\t0\t0\t7\t8\t9\n",
         2},
        {cabecera + "1\tFp1\tEEG\t-17.9\t0.51\t80.8\t26.1\t-4.0\t17.9\t-2.5\t85\r\n", 1},
        {cabecera + "1\tFp1\t\t0\t0\t80.8\t26.1\t-4.0\n2\tB\t\t0\t0\tx\t5\t6\n", 1},  // stops at a bad coordinate
        {cabecera, 0},
        {"", 0},
        {cabecera + "1\tA", 0},
    };
    for (const auto& c : casos) {
        EEG e(256, 2, 4);
        (*e.canales)[1].etiqueta = "propia";
        const ResultadoCED r = leerCED(e, carpeta.escribir("a.ced", c.texto));
        EXPECT_TRUE(r.abierto);
        EXPECT_EQ(r.canalesLeidos, c.leidos) << c.texto;
        if (c.leidos > 0) EXPECT_EQ(*(*e.canales)[0].localizacion, (Punto{80.8, 26.1, -4.0}));
        // A channel without its line keeps its own label and has no location.
        if (c.leidos < 2) EXPECT_EQ((*e.canales)[1].etiqueta, "propia");
        EXPECT_EQ((*e.canales)[1].localizacion.has_value(), c.leidos == 2);
    }
    EEG e(256, 1, 4);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(leerCED(e, "/no/existe.ced").abierto);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "fallo al abrir el archivo\n");
}

TEST(LeerCED, ArchivosReales) {
    testing::internal::CaptureStdout();
    EEG motor = DatFileReader().leer(ONDELAR_RAIZ "/../shared/data/motor_64ch.dat");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(leerCED(motor, ONDELAR_RAIZ "/../shared/data/motor_64ch.ced").canalesLeidos, 64u);
    EXPECT_EQ((*motor.canales)[0].etiqueta, "FC5");
    EXPECT_EQ(*(*motor.canales)[0].localizacion, (Punto{18.643, 77.215, 24.460}));
}
