#pragma once
// What a call writes to standard output and the text of what it throws.

#include <exception>
#include <string>

#include <gtest/gtest.h>

namespace prueba {

struct Captura {
    std::string salida, excepcion;  // excepcion: "" when nothing was thrown
};

template <class F>
Captura capturar(F f) {
    Captura c;
    testing::internal::CaptureStdout();
    try {
        f();
    } catch (const std::exception& e) {
        c.excepcion = e.what();
    }
    c.salida = testing::internal::GetCapturedStdout();
    return c;
}

}  // namespace prueba
