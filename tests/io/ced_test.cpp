#include <gtest/gtest.h>

#include <sstream>

#include "io/DatFileReader.h"
#include "io/leerCED.h"
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
        {cabecera, 0},
        {"", 0},
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

TEST(LeerCED, CampoVacioNoDesplazaLasColumnas) {
    // The first line of p300_8ch.ced with its X emptied, then with its label emptied.
    const std::string fz = "1\tFz\t\t0.306\t0.230\t58.512\t-0.312\t66.462\t-0.306\t48.639\t88.5\t1\t\t1\n";
    std::string sinX = fz, sinEtiqueta = fz;
    sinX.replace(sinX.find("58.512"), 6, "");
    sinEtiqueta.replace(2, 2, "");
    EEG e(256, 1, 4);
    (*e.canales)[0].etiqueta = "propia";
    std::istringstream a(cabecera + sinX);
    const ResultadoCED r = leerCED(e, a);
    EXPECT_EQ(r.canalesLeidos, 1u);
    EXPECT_EQ((*e.canales)[0].etiqueta, "Fz");
    EXPECT_FALSE((*e.canales)[0].localizacion.has_value());  // not (-0.312, 66.462, -0.306)
    ASSERT_EQ(r.avisos.size(), 1u);
    EXPECT_NE(r.avisos[0].find("«Fz»"), std::string::npos) << r.avisos[0];
    std::istringstream b(cabecera + sinEtiqueta);
    leerCED(e, b);
    EXPECT_EQ((*e.canales)[0].etiqueta, "Fz");  // kept, never "0.306"
    EXPECT_EQ(*(*e.canales)[0].localizacion, (Punto{58.512, -0.312, 66.462}));
}

// Every numeric column is checked, naming its line and column; an empty
// field stays allowed, as in X, Y, Z.
TEST(LeerCED, NumeroIlegibleNombraLineaYColumna) {
    const struct {
        std::string lineas, error;
        uint32_t leidos;
    } casos[] = {
        {"1\tFz\t\t0\t0\t1\t2\t3\n\n2\tCz\t\t0\t0\t4\t5,5\t6\n", "línea 4, columna 7 (Y): «5,5» no es un número.", 1},
        {"1\tFz\t\tabc\t0\t1\t2\t3\n", "línea 2, columna 4 (theta): «abc» no es un número.", 0},
        {"1\tFz\t\t0\t0.5x\t1\t2\t3\n", "línea 2, columna 5 (radius): «0.5x» no es un número.", 0},
        {"uno\tFz\t\t0\t0\t1\t2\t3\n", "línea 2, columna 1 (Number): «uno» no es un número.", 0},
        {"1\tFz\t\t0\t0\t1\t2\t3\t90\t\tnada\n", "línea 2, columna 11 (sph_radius): «nada» no es un número.", 0},
        {"1\tFz\tEEG\t\t\t1\t2\t3\t\t\t\n", "", 1},
        // A value quoted in the message loses its control characters: an ESC
        // sequence would clear the user's terminal, a NUL would cut the message.
        {std::string("1\tFz\t\t0\t0\t\x1b[2J\0x\t2\t3\n", 21),
         "línea 2, columna 6 (X): «\xEF\xBF\xBD[2J\xEF\xBF\xBDx» no es un número.", 0},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.lineas);
        EEG e(256, 2, 4);
        std::istringstream t(cabecera + c.lineas);
        const ResultadoCED r = leerCED(e, t);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.canalesLeidos, c.leidos);
    }
}

TEST(LeerCED, EtiquetaSinRellenoNiBlancos) {
    EEG e(256, 1, 4);
    std::istringstream t(cabecera + std::string("1\t Fp1 \0\0\t\t0\t0\t1\t2\t3\n", 21));
    leerCED(e, t);
    EXPECT_EQ((*e.canales)[0].etiqueta, "Fp1");
}

TEST(LeerCED, ArchivosReales) {
    testing::internal::CaptureStdout();
    EEG motor = DatFileReader().leer(ONDELAR_RAIZ "/../shared/data/motor_64ch.dat");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(leerCED(motor, ONDELAR_RAIZ "/../shared/data/motor_64ch.ced").canalesLeidos, 64u);
    EXPECT_EQ((*motor.canales)[0].etiqueta, "FC5");
    EXPECT_EQ(*(*motor.canales)[0].localizacion, (Punto{18.643, 77.215, 24.460}));
}
