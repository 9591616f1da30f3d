#include "mara/etiquetasMara.h"

#include <cctype>

const std::vector<std::string>& etiquetasLeadfield() {
    static const std::vector<std::string> tabla = {
        "Fp1",  "AFp1", "Fpz",  "AFp2", "Fp2",  "AF7",  "AF3",  "AF4",  "AF8",  "FAF5", "FAF1", "FAF2",
        "FAF6", "F7",   "F5",   "F3",   "F1",   "Fz",   "F2",   "F4",   "F6",   "F8",   "FFC7", "FFC5",
        "FFC3", "FFC1", "FFC2", "FFC4", "FFC6", "FFC8", "FT9",  "FT7",  "FC5",  "FC3",  "FC1",  "FCz",
        "FC2",  "FC4",  "FC6",  "FT8",  "FT10", "CFC7", "CFC5", "CFC3", "CFC1", "CFC2", "CFC4", "CFC6",
        "CFC8", "T7",   "C5",   "C3",   "C1",   "Cz",   "C2",   "C4",   "C6",   "T8",   "CCP7", "CCP5",
        "CCP3", "CCP1", "CCP2", "CCP4", "CCP6", "CCP8", "TP9",  "TP7",  "CP5",  "CP3",  "CP1",  "CPz",
        "CP2",  "CP4",  "CP6",  "TP8",  "TP10", "PCP7", "PCP5", "PCP3", "PCP1", "PCP2", "PCP4", "PCP6",
        "PCP8", "P9",   "P7",   "P5",   "P3",   "P1",   "Pz",   "P2",   "P4",   "P6",   "P8",   "P10",
        "PPO7", "PPO5", "PPO1", "PPO2", "PPO6", "PPO8", "PO7",  "PO3",  "PO1",  "POz",  "PO2",  "PO4",
        "PO8",  "OPO1", "OPO2", "O1",   "Oz",   "O2",   "OI1",  "OI2",  "I1",   "I2"};
    return tabla;
}

const std::vector<std::string>& etiquetasMara() {
    static const std::vector<std::string> tabla = {
        "AF3",  "AF4",  "AF7",  "AF8",  "C1",   "C2",   "C3",   "C4",   "C5",   "C6",   "CCP1", "CCP2",
        "CCP3", "CCP4", "CCP6", "CCP7", "CCP8", "CFC1", "CFC2", "CFC3", "CFC4", "CFC8", "CP1",  "CP2",
        "CP3",  "CP4",  "CP5",  "CP6",  "Cz",   "F1",   "F2",   "F3",   "F4",   "F5",   "F6",   "F7",
        "F8",   "FAF1", "FAF2", "FAF5", "FAF6", "FC1",  "FC2",  "FC3",  "FC4",  "FC5",  "FC6",  "FCz",
        "FFC1", "FFC2", "FFC3", "FFC4", "FFC5", "FFC6", "FFC7", "FFC8", "FT7",  "FT8",  "Fp1",  "Fp2",
        "Fpz",  "Fz",   "I1",   "I2",   "O1",   "O2",   "OI1",  "OI2",  "OPO1", "OPO2", "Oz",   "P10",
        "P2",   "P3",   "P4",   "P5",   "P6",   "P7",   "P8",   "P9",   "PCP1", "PCP2", "PCP3", "PCP4",
        "PCP5", "PCP6", "PCP7", "PCP8", "PO1",  "PO2",  "PO7",  "PO8",  "POz",  "PPO1", "PPO2", "PPO5",
        "PPO6", "PPO7", "PPO8", "Pz",   "T7",   "T8",   "TP7",  "TP8"};
    return tabla;
}

std::string aMayusculas(const std::string& etiqueta) {
    std::string r = etiqueta;
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}
