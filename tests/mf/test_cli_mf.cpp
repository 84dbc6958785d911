// The subcommands gera-espelho-lmf and gera-registros-tipo-e: exit codes,
// the export's result printed with its meaning, and wrong arguments.
#include <gtest/gtest.h>

#include <string>

#include "common/construtor_mf.h"
#include "common/util.h"
#include "mf/cenario.h"

namespace {

class CliMF : public DiretorioTemporario {
protected:
    int Talvor(const std::string &args, std::string *saida)
    {
        return Executa(std::string("\"") + TALVOR_CLI_PATH + "\" " + args + " 2>&1", saida);
    }
};

}  // namespace

TEST_F(CliMF, MirrorAndTypeERecords)
{
    ConstrutorMF c = Base();
    c.Reducao(Reducao(1, 10, 1)).Reducao(Reducao(2, 11, 1));
    c.Grava("mf.bin");
    CriaDiretoriosSaida();
    std::string saida;
    EXPECT_EQ(Talvor("gera-espelho-lmf mf.bin 0 1 1 2", &saida), 0);
    EXPECT_NE(saida.find("GeraEspelhoLMF: resultado 0"), std::string::npos) << saida;
    EXPECT_EQ(ListaDiretorio("Arquivos TXT Espelho").size(), 1u);
    EXPECT_EQ(Talvor("gera-espelho-lmf mf.bin 0 1 5 9", &saida), 1);
    EXPECT_NE(saida.find("resultado 3"), std::string::npos) << saida;
    EXPECT_EQ(Talvor("gera-espelho-lmf mf.bin 2 1 1 2", &saida), 2);
    EXPECT_NE(saida.find("tipo deve ser"), std::string::npos);
    EXPECT_EQ(Talvor("gera-espelho-lmf mf.bin 0 1 1", &saida), 2);
    EXPECT_NE(saida.find("Uso: talvor gera-espelho-lmf"), std::string::npos);

    EXPECT_EQ(Talvor("gera-registros-tipo-e mf.bin \"\" 0", &saida), 0);
    EXPECT_NE(saida.find("GeraRegistrosTipoE: resultado 0"), std::string::npos) << saida;
    EXPECT_EQ(ListaDiretorio("Arquivos TXT Formatados").size(), 1u);
    EXPECT_EQ(Talvor("gera-registros-tipo-e \"\" \"\" 0", &saida), 2);
    EXPECT_EQ(Talvor("gera-registros-tipo-e mf.bin \"\" 7", &saida), 2);
    EXPECT_EQ(Talvor("gera-registros-tipo-e nada.bin \"\" 0", &saida), 1);
    EXPECT_NE(saida.find("resultado 3"), std::string::npos);
}
