#include "io/crearLector.h"


#include "io/BrainVisionFileReader.h"
#include "io/DatFileReader.h"
#include "io/EdfFileReader.h"
#include "io/GdfFileReader.h"
#include "io/diagnostico.h"

std::unique_ptr<FileReader> crearLector(std::string ruta) {
    diagnostico("loading... " + ruta);
    const size_t punto = ruta.rfind('.');
    std::string extension = punto == std::string::npos ? ruta : ruta.substr(punto + 1);
    // C-locale upper-casing: only a-z change, whatever the bytes around them.
    for (char& c : extension)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (extension == "GDF") {
        diagnostico("detectado tipo GDF");
        return std::make_unique<GdfFileReader>();
    }
    if (extension == "DAT") {
        diagnostico("detectado tipo DAT");
        return std::make_unique<DatFileReader>();
    }
    if (extension == "EDF" || extension == "BDF") {
        diagnostico("detectado tipo " + extension);
        return std::make_unique<EdfFileReader>();
    }
    if (extension == "VHDR") {
        diagnostico("detectado tipo BrainVision");
        return std::make_unique<BrainVisionFileReader>();
    }
    return nullptr;
}
