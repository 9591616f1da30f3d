#include <gtest/gtest.h>

#include "io/EEG.h"

TEST(RegistroEEG, TiempoFinEnDivisionEntera) {
    EEG a(256, 2, 1000);
    EXPECT_DOUBLE_EQ(a.tiempoFin, 3.0);  // (1000-1)/256 = 3 in integer division, not 3.90
    EEG b(512, 1, 10);
    EXPECT_DOUBLE_EQ(b.tiempoFin, 0.0);
    EXPECT_EQ(a.numeroMatrices, 1);
    EXPECT_EQ(a.datos().n_rows, 2u);
    EXPECT_EQ(a.datos().n_cols, 1000u);
    EXPECT_EQ(arma::accu(arma::abs(a.datos())), 0.0);
    EXPECT_EQ(a.canales->size(), 2u);
    EXPECT_FALSE(a.tieneEventos());
}

TEST(RegistroEEG, FrecuenciaNoPositivaSeRechaza) {
    EXPECT_THROW(EEG(0, 2, 10), std::invalid_argument);
    EXPECT_THROW(EEG(-256, 2, 10), std::invalid_argument);
    EXPECT_THROW(EEG(256, 2, -1), std::invalid_argument);
}

TEST(RegistroEEG, VacioNoTieneNada) {
    EEG e;
    EXPECT_EQ(e.numeroCanales, 0u);
    EXPECT_TRUE(e.matrices.empty());
    EXPECT_THROW(e.datos(), std::out_of_range);
}

TEST(RegistroEEG, DerivadoComparteCanalesYEventosYConservaMuestras) {
    EEG fuente(256, 2, 100);
    fuente.historia = " CAR";
    fuente.tiempoInicio = 0.2;
    fuente.tablaEventos = std::make_shared<TablaEventos>();
    arma::mat estrecha(2, 40, arma::fill::ones);
    EEG d = derivarEEG(fuente, estrecha);
    EXPECT_EQ(d.numeroMuestras, 100);  // the source's count, not the matrix width
    EXPECT_EQ(d.datos().n_cols, 40u);
    EXPECT_EQ(d.canales.get(), fuente.canales.get());
    EXPECT_EQ(d.tablaEventos.get(), fuente.tablaEventos.get());
    EXPECT_EQ(d.historia, " CAR");
    EXPECT_DOUBLE_EQ(d.tiempoInicio, 0.2);
    arma::mat ancha(2, 300, arma::fill::ones);
    EXPECT_EQ(derivarEEG(fuente, ancha).numeroMuestras, 100);
}

TEST(RegistroEEG, FijarEventoAgrupaPorTipoYCalificador) {
    TablaEventos t;
    t.eventos.resize(3);
    t.numeroEventos = 3;
    fijarEvento(t, Evento{768, 10, 1}, 0);
    fijarEvento(t, Evento{768, 20, 1}, 1);
    fijarEvento(t, Evento{769, 30, 1}, 2);
    ASSERT_EQ(t.numeroTipos, 2);
    EXPECT_EQ(t.tipos[0].tipo, 768);
    EXPECT_EQ(t.tipos[1].tipo, 769);
    EXPECT_EQ(t.eventos[0].rojo, t.eventos[1].rojo);
    EXPECT_EQ(t.eventos[0].verde, t.eventos[1].verde);
    EXPECT_EQ(t.eventos[0].azul, t.eventos[1].azul);
    EXPECT_EQ(t.eventos[1].posicion, 20);
    for (const Evento& e : t.eventos) {
        EXPECT_GE(e.rojo, 0);
        EXPECT_LE(e.rojo, 254);
    }
}

TEST(RegistroEEG, FijarEventoTomaLosColoresDelGeneradorEnOrdenAzulVerdeRojo) {
    std::srand(1234);
    const int a = std::rand() % 255, v = std::rand() % 255, r = std::rand() % 255;
    std::srand(1234);
    TablaEventos t;
    fijarEvento(t, Evento{1, 0, 1}, 0);
    EXPECT_EQ(t.eventos[0].azul, a);
    EXPECT_EQ(t.eventos[0].verde, v);
    EXPECT_EQ(t.eventos[0].rojo, r);
}
