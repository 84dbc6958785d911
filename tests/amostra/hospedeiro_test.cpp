// The example host program (examples/hospedeiro.c) against the emulator
// serving the sample printer: it loads the shared library by path, runs the
// typical road for a month and converts the downloads; every step must
// return 0 and every file it leaves must carry a valid EAD line.
#if !defined(_WIN32) && defined(TALVOR_SIM_PATH) && defined(TALVOR_HOSPEDEIRO_PATH) && \
    __has_include("common/simulador.h")

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/construtor_fd.h"
#include "common/simulador.h"
#include "common/util.h"
#include "platform/plataforma.h"

namespace {

class Hospedeiro : public DiretorioTemporario {};

TEST_F(Hospedeiro, CaminhoTipicoContraOEmulador)
{
    CriaDiretoriosSaida();
    Simulador sim;
    ASSERT_TRUE(sim.Inicia({}));
    std::string saida;
    const int r = Executa(std::string("'") + TALVOR_HOSPEDEIRO_PATH + "' '" + TALVOR_SHARED_LIB_PATH +
                              "' COM1 7720-QX3 01032025 31032025 2>&1",
                          &saida);
    sim.Para();
    ASSERT_EQ(r, 0) << saida;
    EXPECT_NE(saida.find("tudo certo"), std::string::npos) << saida;

    // Two downloads, two mirrors, one type-E file, each signed.
    const char *const diretorios[] = {DIR_BINARIOS, "Arquivos TXT Espelho/", "Arquivos TXT Formatados/"};
    const size_t quantos[] = {2, 2, 1};
    for (size_t i = 0; i < 3; ++i) {
        const std::vector<std::string> nomes = ListaDiretorio(diretorios[i]);
        EXPECT_EQ(nomes.size(), quantos[i]) << diretorios[i];
        for (const std::string &n : nomes) {
            const std::string caminho = std::string(diretorios[i]) + n;
            EXPECT_EQ(Executa(std::string("'") + TALVOR_CLI_PATH + "' verificar '" + caminho + "' >/dev/null"),
                      AssinaturaDisponivel() ? 0 : 1)
                << caminho;
        }
    }
}

}  // namespace

#endif
