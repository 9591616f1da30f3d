#include "io/crearLector.h"

#include <iostream>

#include "io/DatFileReader.h"
#include "io/GdfFileReader.h"

std::unique_ptr<FileReader> crearLector(std::string ruta) {
    std::cout << "loading... " << ruta << std::endl;
    const size_t punto = ruta.rfind('.');
    std::string extension = punto == std::string::npos ? ruta : ruta.substr(punto + 1);
    // C-locale upper-casing: only a-z change, whatever the bytes around them.
    for (char& c : extension)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (extension == "GDF") {
        std::cout << "detectado tipo GDF" << std::endl;
        return std::make_unique<GdfFileReader>();
    }
    if (extension == "DAT") {
        std::cout << "detectado tipo DAT" << std::endl;
        return std::make_unique<DatFileReader>();
    }
    return nullptr;
}
