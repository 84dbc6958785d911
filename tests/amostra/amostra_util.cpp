// Helpers of the sample-printer tests.
#include "amostra/amostra.h"

#include <sstream>

#include "common/util.h"

int GeraAmostraTeste(const std::string &argumentos, std::string *saida)
{
    return Executa(std::string("\"") + TALVOR_AMOSTRA_PATH + "\" " + argumentos + " 2>&1", saida);
}

uint64_t BE(const std::string &s, size_t deslocamento, unsigned largura)
{
    uint64_t v = 0;
    for (unsigned i = 0; i < largura; ++i)
        v = (v << 8) | static_cast<uint8_t>(s.at(deslocamento + i));
    return v;
}

std::vector<EntradaDiretorio> LeDiretorioFita(const std::string &diretorio)
{
    std::vector<EntradaDiretorio> r;
    std::istringstream linhas(LeArquivo(diretorio + "/diretorio.txt"));
    std::string linha;
    while (std::getline(linhas, linha)) {
        if (linha.empty() || linha[0] == '#')
            continue;
        std::istringstream campos(linha);
        EntradaDiretorio e;
        std::string crz, coo;
        campos >> e.nome >> e.data >> e.hora >> crz >> coo;
        EXPECT_EQ(12u, e.nome.size()) << linha;
        EXPECT_EQ(8u, e.data.size()) << linha;
        EXPECT_EQ(6u, e.hora.size()) << linha;
        EXPECT_EQ(4u, crz.size()) << linha;
        EXPECT_EQ(8u, coo.size()) << linha;
        e.crz = static_cast<unsigned>(std::stoul(crz));
        e.coo = std::stoul(coo);
        r.push_back(e);
    }
    return r;
}
