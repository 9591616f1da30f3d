// Splitting a decoding over two threads: every unit is done once, progress
// is heard on the calling thread only and grows to the total, and a
// cancellation or a failure on either thread leaves no thread running.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "io/lecturaParalela.h"
#include "io/progreso.h"

TEST(RepartirEnDosHilos, CadaUnidadUnaVezYElAvanceCreceHastaElTotal) {
    std::vector<std::atomic<int>> veces(1001);
    std::atomic<bool> otroHilo{false};
    std::vector<int64_t> informes;
    const auto yo = std::this_thread::get_id();
    repartirEnDosHilos(
        1001, 10,
        [&](int hilo, int64_t desde, int64_t hasta) {
            if (hilo == 1) otroHilo = std::this_thread::get_id() != yo;
            for (int64_t i = desde; i < hasta; ++i) ++veces[static_cast<size_t>(i)];
            // Long enough for the other thread to start and take pieces too.
            if (hilo == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
        },
        [&](int64_t hechas) {
            EXPECT_EQ(std::this_thread::get_id(), yo);
            informes.push_back(hechas);
        });
    for (size_t i = 0; i < veces.size(); ++i) ASSERT_EQ(veces[i], 1) << i;
    EXPECT_TRUE(otroHilo);
    ASSERT_FALSE(informes.empty());
    EXPECT_EQ(informes.back(), 1001);
    for (size_t i = 1; i < informes.size(); ++i) EXPECT_GE(informes[i], informes[i - 1]);
}

TEST(RepartirEnDosHilos, UnaSolaPiezaEnElHiloQueLlama) {
    const auto yo = std::this_thread::get_id();
    int llamadas = 0;
    repartirEnDosHilos(
        5, 10,
        [&](int hilo, int64_t desde, int64_t hasta) {
            EXPECT_EQ(hilo, 0);
            EXPECT_EQ(std::this_thread::get_id(), yo);
            EXPECT_EQ(desde, 0);
            EXPECT_EQ(hasta, 5);
            ++llamadas;
        },
        [](int64_t) {});
    EXPECT_EQ(llamadas, 1);
}

TEST(RepartirEnDosHilos, CancelarDejaElOtroHiloParado) {
    std::atomic<int64_t> hechas{0};
    EXPECT_THROW(repartirEnDosHilos(
                     100000, 1,
                     [&](int, int64_t desde, int64_t hasta) { hechas += hasta - desde; },
                     [](int64_t) { throw Cancelado(); }),
                 Cancelado);
    const int64_t alSalir = hechas;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(hechas, alSalir);  // joined: nothing runs after the exception left
}

TEST(RepartirEnDosHilos, UnFalloEnElOtroHiloLlegaAlQueLlama) {
    EXPECT_THROW(repartirEnDosHilos(
                     100, 10,
                     [](int hilo, int64_t, int64_t) {
                         if (hilo == 1) throw std::runtime_error("fallo");
                         std::this_thread::sleep_for(std::chrono::milliseconds(2));
                     },
                     [](int64_t) {}),
                 std::runtime_error);
}

// A thread held up on its core does not hold up the pieces: while the
// calling thread is stuck in its first piece, the other one takes all the
// rest (split in fixed halves, it would wait for the stuck one).
TEST(RepartirEnDosHilos, ElHiloLibreTomaLasPiezasDelOcupado) {
    std::atomic<int> delOtro{0};
    int delQueLlama = 0;
    bool esperaCumplida = false;
    repartirEnDosHilos(
        40, 1,
        [&](int hilo, int64_t, int64_t) {
            if (hilo == 1) {
                ++delOtro;
                return;
            }
            if (delQueLlama++ > 0) return;
            const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (delOtro < 39 && std::chrono::steady_clock::now() < limite)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            esperaCumplida = delOtro == 39;
        },
        [](int64_t) {});
    EXPECT_TRUE(esperaCumplida);
    EXPECT_EQ(delQueLlama, 1);
    EXPECT_EQ(delOtro, 39);
}
