// The sample printer that talvor-sim serves when it is given no image and no
// detail-tape directory: the same bytes talvor-amostra writes for the same
// seed, built in memory at start.  Kept apart from sim.h so that the
// generator's declarations and the simulator's never meet in one file.
#ifndef TALVOR_SIM_AMOSTRA_SIM_H
#define TALVOR_SIM_AMOSTRA_SIM_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct AmostraSim {
    std::vector<uint8_t> mf, sb;                          // the two images
    std::string diretorio;                                // text of diretorio.txt
    std::map<std::string, std::vector<uint8_t>> arquivos; // closed files by name
    std::vector<uint8_t> atual;                           // File_Current
};

// The sample of the generator's default seed and number of days.
void GeraAmostraSim(AmostraSim *a);

#endif
