// Helpers of the end-to-end tests.
#if !defined(_WIN32)

#include "comum_impressora.h"

#include <cstdio>

#include "files/assinatura.h"

void ConfereDownload(const std::string &caminho, const std::string &esperado)
{
    std::string conteudo = LeArquivo(caminho);
    if (!AssinaturaDisponivel()) {
        EXPECT_TRUE(conteudo == esperado) << caminho << ": " << conteudo.size() << " bytes, esperados "
                                          << esperado.size();
        return;
    }
    ASSERT_EQ(conteudo.size(), esperado.size() + 259) << caminho;
    EXPECT_TRUE(conteudo.compare(0, esperado.size(), esperado) == 0) << caminho;
    EXPECT_EQ(conteudo.substr(esperado.size(), 3), "EAD");
    FILE *f = std::fopen(caminho.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(VerificaAssinaturaFinal(f, conteudo.size()), 0);
    std::fclose(f);
}

std::string ImagemTeste(size_t tamanho, unsigned semente)
{
    std::string s(tamanho, '\0');
    uint32_t x = semente;
    for (size_t i = 0; i < tamanho; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        s[i] = static_cast<char>(x >> 3);
    }
    return s;
}

#endif
