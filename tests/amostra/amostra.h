// Helpers of the sample-printer tests: running the generator, big-endian
// fields, and the detail-tape directory as the generator lists it.
#ifndef TALVOR_TESTS_AMOSTRA_H
#define TALVOR_TESTS_AMOSTRA_H

#include <cstdint>
#include <string>
#include <vector>

// Runs talvor-amostra with the arguments; its exit status.
int GeraAmostraTeste(const std::string &argumentos, std::string *saida = nullptr);

uint64_t BE(const std::string &s, size_t deslocamento, unsigned largura);

struct EntradaDiretorio {
    std::string nome, data, hora;
    unsigned crz;
    unsigned long coo;
};
// The closed files of fita/diretorio.txt, in order.
std::vector<EntradaDiretorio> LeDiretorioFita(const std::string &diretorio);

#endif
