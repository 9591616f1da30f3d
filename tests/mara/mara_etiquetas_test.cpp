#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "mara/emparejamientoCanales.h"
#include "mara/etiquetasMara.h"

TEST(EtiquetasMara, TablasDe118Y104) {
    EXPECT_EQ(etiquetasLeadfield().size(), 118u);
    EXPECT_EQ(etiquetasMara().size(), 104u);
    EXPECT_EQ(etiquetasLeadfield().front(), "Fp1");
    EXPECT_EQ(etiquetasLeadfield().back(), "I2");
    EXPECT_EQ(etiquetasMara().front(), "AF3");
    EXPECT_EQ(etiquetasMara().back(), "TP8");
}

TEST(EtiquetasMara, MaraEsLeadfieldSinCatorceElectrodosYEnOrdenDeBytes) {
    const std::vector<std::string> faltan = {"AFp1", "AFp2", "CCP5", "CFC5", "CFC6", "CFC7", "CPz",
                                             "FT9",  "FT10", "P1",   "PO3",  "PO4",  "TP9",  "TP10"};
    std::vector<std::string> esperada;
    for (const auto& e : etiquetasLeadfield())
        if (std::find(faltan.begin(), faltan.end(), e) == faltan.end()) esperada.push_back(e);
    std::sort(esperada.begin(), esperada.end());
    EXPECT_EQ(etiquetasMara(), esperada);
}

TEST(EmparejamientoCanales, MayusculasYMinusculasDanLaMismaEtiqueta) {
    for (const std::string e : {"fp1", "FP1", "Fp1"}) {
        const EmparejamientoCanales r = emparejarCanales({e, "Cz"});
        ASSERT_EQ(r.canalesEmparejados.n_elem, 2u) << e;
        // "CZ" sorts before "FP1": Cz is channel 1, then channel 0 (Fp1 is row 58 of the table).
        EXPECT_EQ(r.canalesEmparejados(0), 1u);
        EXPECT_EQ(r.canalesEmparejados(1), 0u);
        EXPECT_EQ(etiquetasMara()[r.indicesEtiqueta(1)], "Fp1");
    }
}

TEST(EmparejamientoCanales, UnBlancoDetrasNoEmpareja) {
    const EmparejamientoCanales r = emparejarCanales({"Fp1 ", "Cz"});
    ASSERT_EQ(r.canalesEmparejados.n_elem, 1u);
    EXPECT_EQ(r.canalesEmparejados(0), 1u);
}

TEST(EmparejamientoCanales, OrdenC3C4CzYSinEOG) {
    const EmparejamientoCanales r = emparejarCanales({"Cz", "C3", "C4", "EOG"});
    ASSERT_EQ(r.canalesEmparejados.n_elem, 3u);
    EXPECT_EQ(r.canalesEmparejados(0), 1u);  // C3
    EXPECT_EQ(r.canalesEmparejados(1), 2u);  // C4
    EXPECT_EQ(r.canalesEmparejados(2), 0u);  // Cz
    EXPECT_EQ(etiquetasMara()[r.indicesEtiqueta(0)], "C3");
    EXPECT_EQ(etiquetasMara()[r.indicesEtiqueta(1)], "C4");
    EXPECT_EQ(etiquetasMara()[r.indicesEtiqueta(2)], "Cz");
    EXPECT_EQ(r.etiquetas, (std::vector<std::string>{"C3", "C4", "Cz"}));
}

TEST(EmparejamientoCanales, FT9YCPzNoParticipan) {
    const EmparejamientoCanales r = emparejarCanales({"FT9", "CPz", "Oz"});
    ASSERT_EQ(r.canalesEmparejados.n_elem, 1u);
    EXPECT_EQ(r.canalesEmparejados(0), 2u);
    // Both are lead-field electrodes, only missing from the training patterns.
    EXPECT_NE(std::find(etiquetasLeadfield().begin(), etiquetasLeadfield().end(), "FT9"), etiquetasLeadfield().end());
    EXPECT_NE(std::find(etiquetasLeadfield().begin(), etiquetasLeadfield().end(), "CPz"), etiquetasLeadfield().end());
}

TEST(EmparejamientoCanales, EtiquetasRepetidasConservanElOrdenDeCanal) {
    const EmparejamientoCanales r = emparejarCanales({"oz", "Oz", "OZ"});
    ASSERT_EQ(r.canalesEmparejados.n_elem, 3u);
    EXPECT_EQ(r.canalesEmparejados(0), 0u);
    EXPECT_EQ(r.canalesEmparejados(1), 1u);
    EXPECT_EQ(r.canalesEmparejados(2), 2u);
}

TEST(EmparejamientoCanales, SinCanalesNiCoincidencias) {
    EXPECT_EQ(emparejarCanales({}).canalesEmparejados.n_elem, 0u);
    EXPECT_EQ(emparejarCanales({"EOG", "", "EMG"}).canalesEmparejados.n_elem, 0u);
}
