#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <tuple>

#include "io/almacenEEG.h"

namespace {

// Every field set, two channels (one with a location) and two event kinds.
EEG registroCompleto() {
    EEG e(256, 2, 5);
    e.sujeto = "sujeto";
    e.identificacionRegistro = "001-02";
    e.idEquipo = 7;
    e.reservado = std::string("res\0erv", 7);
    e.historia = " CAR";
    e.tiempoInicio = 0.25;
    (*e.canales)[0].etiqueta = "Fz";
    (*e.canales)[0].localizacion = std::array<double, 3>{80.8, 26.1, -4.0};
    (*e.canales)[1].unidad = "uV.";
    e.matrices[0] = arma::reshape(arma::regspace(1.0, 10.0), 2, 5);
    e.tablaEventos = std::make_shared<TablaEventos>();
    e.tablaEventos->modo = 1;
    e.tablaEventos->numeroEventos = 2;
    e.tablaEventos->eventos.resize(2);
    fijarEvento(*e.tablaEventos, Evento{768, 1, 1}, 0);
    fijarEvento(*e.tablaEventos, Evento{769, 3, 1}, 1);
    return e;
}

}  // namespace

TEST(CopiaProfunda, CambiarTodoEnLaCopiaNoTocaLaFuente) {
    const EEG fuente = registroCompleto();
    const Evento primero = fuente.tablaEventos->eventos[0];
    auto copia = clonarEEG(fuente);
    EXPECT_EQ(copia->reservado, fuente.reservado);
    EXPECT_EQ((*copia->canales)[1].unidad, "uV.");
    EXPECT_EQ(copia->tablaEventos->eventos[1].azul, fuente.tablaEventos->eventos[1].azul);
    EXPECT_TRUE(arma::approx_equal(copia->datos(), fuente.datos(), "absdiff", 0.0));

    copia->sujeto = copia->identificacionRegistro = copia->reservado = copia->historia = "x";
    copia->idEquipo = 0;
    copia->tiempoInicio = 9.0;
    copia->matrices[0].fill(-1.0);
    (*copia->canales)[0].etiqueta = "Pz";
    (*(*copia->canales)[0].localizacion)[0] = 0.0;
    (*copia->canales)[1].localizacion = std::array<double, 3>{1, 2, 3};
    copia->tablaEventos->eventos[0].rojo = copia->tablaEventos->tipos[1].posicion = 1000;
    copia->tablaEventos->eventos.push_back(Evento{});

    const EEG intacta = registroCompleto();
    EXPECT_EQ(std::tie(fuente.sujeto, fuente.identificacionRegistro, fuente.reservado, fuente.historia),
              std::tie(intacta.sujeto, intacta.identificacionRegistro, intacta.reservado, intacta.historia));
    EXPECT_EQ(fuente.idEquipo, 7u);
    EXPECT_EQ(fuente.tiempoInicio, 0.25);
    EXPECT_TRUE(arma::approx_equal(fuente.datos(), intacta.datos(), "absdiff", 0.0));
    EXPECT_EQ((*fuente.canales)[0].etiqueta, "Fz");
    EXPECT_EQ((*(*fuente.canales)[0].localizacion)[0], 80.8);
    EXPECT_FALSE((*fuente.canales)[1].localizacion.has_value());
    EXPECT_EQ(fuente.tablaEventos->eventos.size(), 2u);
    EXPECT_EQ(fuente.tablaEventos->eventos[0].rojo, primero.rojo);
    EXPECT_EQ(fuente.tablaEventos->tipos[1].posicion, 3);
}

// By a copy and by a result given up alike.
TEST(CopiaProfunda, ElBloqueCopiadoLoFijanLosContadores) {
    const auto clonar = [](EEG e, bool ceder) { return ceder ? clonarEEG(std::move(e)) : clonarEEG(e); };
    for (const bool ceder : {false, true}) {
        EEG fuente = registroCompleto();
        fuente.matrices[0] = arma::mat(3, 8, arma::fill::ones);
        EXPECT_EQ(arma::size(clonar(fuente, ceder)->datos()), arma::size(2, 5)) << ceder;
        // Smaller than the counts say: refused, never read past the end.
        fuente.matrices[0] = arma::mat(2, 4, arma::fill::ones);
        EXPECT_THROW(clonar(fuente, ceder), std::length_error) << ceder;
        fuente.matrices[0] = arma::mat(1, 5, arma::fill::ones);
        EXPECT_THROW(clonar(fuente, ceder), std::length_error) << ceder;
    }
    EXPECT_TRUE(clonarEEG(EEG())->matrices.empty());
}

TEST(CopiaProfunda, UnResultadoQueSeDesechaCedeSuMatrizSinCopiarla) {
    EEG resultado = registroCompleto();
    resultado.numeroMuestras = 40;  // past Armadillo's in-object storage, which a move copies
    resultado.matrices[0] = arma::reshape(arma::regspace(1.0, 80.0), 2, 40);
    const double* memoria = resultado.datos().memptr();
    const arma::mat esperada = resultado.datos();
    auto copia = clonarEEG(std::move(resultado));
    EXPECT_EQ(copia->datos().memptr(), memoria);
    EXPECT_TRUE(arma::approx_equal(copia->datos(), esperada, "absdiff", 0.0));
    EXPECT_NE(copia->canales, resultado.canales);  // the channels are still its own
    EXPECT_EQ((*copia->canales)[1].unidad, "uV.");
}

TEST(RegistroEEG, ConstruccionDerivacionYEventos) {
    EXPECT_THROW(EEG(0, 2, 10), std::invalid_argument);
    EXPECT_THROW(EEG(256, 2, -1), std::invalid_argument);
    EEG fuente(256, 2, 1000);
    EXPECT_EQ(fuente.tiempoFin, 3.0);  // (1000 - 1) / 256 in integer division
    fuente.tablaEventos = std::make_shared<TablaEventos>();
    const EEG d = derivarEEG(fuente, arma::mat(2, 40, arma::fill::ones));
    EXPECT_EQ(d.numeroMuestras, 1000);  // the source's count, not the matrix width
    EXPECT_EQ(d.canales.get(), fuente.canales.get());
    EXPECT_EQ(d.tablaEventos.get(), fuente.tablaEventos.get());

    // One colour per kind, drawn blue, green, red from the C generator.
    std::srand(1234);
    const int azul = std::rand() % 255, verde = std::rand() % 255, rojo = std::rand() % 255;
    std::srand(1234);
    TablaEventos t;
    t.eventos.resize(3);
    fijarEvento(t, Evento{768, 10, 1}, 0);
    fijarEvento(t, Evento{769, 30, 1}, 1);
    fijarEvento(t, Evento{768, 20, 1}, 2);
    ASSERT_EQ(t.numeroTipos, 2);
    EXPECT_EQ(t.tipos[1].tipo, 769);
    EXPECT_EQ(std::tie(t.eventos[0].azul, t.eventos[0].verde, t.eventos[0].rojo), std::tie(azul, verde, rojo));
    EXPECT_EQ(t.eventos[2].rojo, rojo);
}

// A tab or window finds its branch by number: after removals the number
// follows the branch to its new position, a removed branch's number finds
// nothing, and no later branch gets it again (while its address may be).
TEST(AlmacenEEG, ElNumeroSigueALaRamaYNoSeReutiliza) {
    AlmacenEEG almacen;
    almacen.anadirArchivo(std::make_unique<EEG>(256, 1, 4));
    almacen.anadirRama(0, std::make_unique<EEG>(256, 1, 4));
    almacen.anadirRama(0, std::make_unique<EEG>(256, 1, 4));
    almacen.anadirArchivo(std::make_unique<EEG>(128, 2, 8));
    const uint64_t primera = almacen.numeroRama(0, 1), segunda = almacen.numeroRama(0, 2);
    const uint64_t otro = almacen.numeroRama(1, 0);
    const EEG* direccionSegunda = &almacen.rama(0, 2);
    EXPECT_NE(primera, segunda);

    almacen.borrarRama(0, 1);
    EXPECT_EQ(almacen.posicion(primera), std::nullopt);
    EXPECT_EQ(almacen.buscar(primera), nullptr);
    EXPECT_EQ(almacen.posicion(segunda), std::make_pair(0, 1));
    EXPECT_EQ(almacen.buscar(segunda), direccionSegunda);

    almacen.anadirRama(0, std::make_unique<EEG>(256, 1, 4));
    const uint64_t nueva = almacen.numeroRama(0, 2);
    EXPECT_NE(nueva, primera);
    EXPECT_NE(nueva, segunda);
    EXPECT_EQ(almacen.buscar(primera), nullptr);

    almacen.borrarRama(0, 0);  // the whole recording
    EXPECT_EQ(almacen.buscar(segunda), nullptr);
    EXPECT_EQ(almacen.buscar(nueva), nullptr);
    EXPECT_EQ(almacen.posicion(otro), std::make_pair(0, 0));
    EXPECT_THROW(almacen.numeroRama(0, 1), std::out_of_range);
}
