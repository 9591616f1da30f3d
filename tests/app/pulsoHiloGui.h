#pragma once
// Ticks of a 10 ms timer on the GUI thread while a step runs, and beside each
// gap between ticks the processor time the GUI thread used in it. A loaded
// machine may wake a sleeping thread late (on two cores shared by eight
// builds, a 10 ms poll() of an idle process was seen to return after 130 ms):
// that lateness lengthens the gap but uses no time of the thread, while work
// done on the GUI thread does. Shared by the liveness test and its benchmark.

#include <time.h>

#include <algorithm>
#include <functional>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

inline qint64 msCpuHilo() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

struct Pulso {
    QTimer timer;
    QElapsedTimer reloj;
    qint64 ultimo = -1, mayorHueco = 0;     // ms of wall clock
    qint64 cpuUltimo = 0, mayorTrabajo = 0;  // ms of the thread's processor time
    int ticks = 0;
    std::function<void()> enCadaTick;
    Pulso() {
        timer.setInterval(10);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 ahora = reloj.elapsed(), cpu = msCpuHilo();
            if (ultimo >= 0) {
                mayorHueco = std::max(mayorHueco, ahora - ultimo);
                mayorTrabajo = std::max(mayorTrabajo, cpu - cpuUltimo);
            }
            ultimo = ahora;
            cpuUltimo = cpu;
            ++ticks;
            if (enCadaTick) enCadaTick();
        });
        reloj.start();
        timer.start();
    }
};
