// The talvor command line as a user meets it: the general help, every
// subcommand's help, usage errors (exit 2, one message line and the usage
// on stderr, nothing on stdout), result codes shown with their meaning,
// the list of ports, and the manual pages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/util.h"

namespace {

const char *const kSubcomandos[] = {
    "assinar",           "verificar",           "chave-publica",
    "portas",            "gera-espelhos",       "le-binario-mf",
    "le-software-basico", "download-memorias",  "imprime-leitura-x",
    "imprime-leitura-memoria-fiscal",           "imprime-fita-detalhe",
    "gera-espelho-lmf",  "gera-registros-tipo-e", "leitura-rz",
    "expandir",
};

std::string SemCR(const std::string &texto)
{
    std::string r;
    for (char c : texto)
        if (c != '\r')
            r += c;
    return r;
}

class LinhaDeComando : public DiretorioTemporario {
protected:
    // Runs talvor; stdout into *saida, stderr into *erro.
    int Talvor(const std::string &argumentos, std::string *saida, std::string *erro = nullptr)
    {
        int r = Executa(std::string("\"") + TALVOR_CLI_PATH + "\" " + argumentos + " 2>erro.txt",
                        saida);
        *saida = SemCR(*saida);
        if (erro != nullptr)
            *erro = SemCR(LeArquivo("erro.txt"));
        return r;
    }

    // A usage error: exit 2, nothing on stdout, on stderr the line
    // "talvor <sub>: <message>" then the usage.
    void ConfereErroDeUso(const std::string &sub, const std::string &argumentos)
    {
        SCOPED_TRACE(sub + " " + argumentos);
        std::string saida, erro;
        EXPECT_EQ(Talvor(sub + " " + argumentos, &saida, &erro), 2);
        EXPECT_EQ(saida, "");
        std::string primeira = erro.substr(0, erro.find('\n'));
        EXPECT_EQ(primeira.rfind("talvor " + sub + ": ", 0), 0u) << erro;
        EXPECT_GT(primeira.size(), ("talvor " + sub + ": ").size());
        std::string resto = erro.substr(primeira.size() + 1);
        EXPECT_EQ(resto.rfind("Uso: talvor " + sub, 0), 0u) << erro;
    }
};

TEST_F(LinhaDeComando, GeneralHelpListsEverySubcommand)
{
    std::string saida, erro;
    EXPECT_EQ(Talvor("--help", &saida), 0);
    for (const char *sub : kSubcomandos)
        EXPECT_NE(saida.find(std::string("\n  ") + sub + " "), std::string::npos) << sub;
    std::string curta;
    EXPECT_EQ(Talvor("-h", &curta), 0);
    EXPECT_EQ(curta, saida);
    EXPECT_EQ(Talvor("--version", &saida), 0);
    EXPECT_EQ(saida.rfind("talvor ", 0), 0u);
    // No subcommand or an unknown one: a message and the list, on stderr.
    EXPECT_EQ(Talvor("", &saida, &erro), 2);
    EXPECT_EQ(saida, "");
    EXPECT_NE(erro.find("assinar"), std::string::npos);
    EXPECT_EQ(Talvor("nada", &saida, &erro), 2);
    EXPECT_EQ(erro.rfind("talvor: subcomando desconhecido: nada\n", 0), 0u) << erro;
}

TEST_F(LinhaDeComando, EverySubcommandHelpHasUsageAndExample)
{
    for (const char *sub : kSubcomandos) {
        for (const char *pedido : {"--help", "-h"}) {
            std::string saida;
            EXPECT_EQ(Talvor(std::string(sub) + " " + pedido, &saida), 0) << sub;
            EXPECT_EQ(saida.rfind(std::string("Uso: talvor ") + sub, 0), 0u) << saida;
            EXPECT_NE(saida.find(std::string("Exemplo: ") + "talvor " + sub), std::string::npos)
                << saida;
        }
    }
    // Arguments and their values, named as the exports name them.
    std::string saida;
    Talvor("download-memorias --help", &saida);
    for (const char *palavra : {" tipo ", " parametro ", " inicio ", " fim", "Resultados:", " 103 "})
        EXPECT_NE(saida.find(palavra), std::string::npos) << palavra;
    Talvor("gera-espelhos --help", &saida);
    for (const char *palavra : {"tipo 0", "tipo 1", "tipo 2", " 6 ", " 7 "})
        EXPECT_NE(saida.find(palavra), std::string::npos) << palavra;
}

TEST_F(LinhaDeComando, WrongArgumentsExitTwoWithOneLineAndUsage)
{
    // Missing, extra, non-numeric and unknown options, for every subcommand.
    ConfereErroDeUso("assinar", "");
    ConfereErroDeUso("assinar", "a b");
    ConfereErroDeUso("assinar", "-x a");
    ConfereErroDeUso("verificar", "");
    ConfereErroDeUso("verificar", "--rapido a");
    ConfereErroDeUso("chave-publica", "extra");
    ConfereErroDeUso("portas", "extra");
    ConfereErroDeUso("portas", "--todas");
    ConfereErroDeUso("gera-espelhos", "");
    ConfereErroDeUso("gera-espelhos", "a.MFD");
    ConfereErroDeUso("gera-espelhos", "a.MFD 3");
    ConfereErroDeUso("gera-espelhos", "a.MFD 0");
    ConfereErroDeUso("gera-espelhos", "a.MFD 0 0103200x 31032007");
    ConfereErroDeUso("gera-espelhos", "a.MFD 1 10 vinte");
    ConfereErroDeUso("gera-espelhos", "a.MFD 2 1 2");
    ConfereErroDeUso("gera-espelhos", "a.MFD 2 extra extra extra");
    ConfereErroDeUso("gera-espelhos", "--porta COM1 a.MFD 2");
    ConfereErroDeUso("le-binario-mf", "extra");
    ConfereErroDeUso("le-binario-mf", "--porta");
    ConfereErroDeUso("le-binario-mf", "--porta /dev/ttyS0");
    ConfereErroDeUso("le-binario-mf", "--velocidade 9600");
    ConfereErroDeUso("le-software-basico", "1");
    ConfereErroDeUso("le-software-basico", "--modelo");
    ConfereErroDeUso("download-memorias", "");
    ConfereErroDeUso("download-memorias", "1");
    ConfereErroDeUso("download-memorias", "1 0");
    ConfereErroDeUso("download-memorias", "3 3");
    ConfereErroDeUso("download-memorias", "1 4 1 2");
    ConfereErroDeUso("download-memorias", "1 3 1 2");
    ConfereErroDeUso("download-memorias", "1 0 1032007 31032007");
    ConfereErroDeUso("download-memorias", "1 1 dez 20");
    ConfereErroDeUso("download-memorias", "1 1 -5 20");
    ConfereErroDeUso("download-memorias", "1 3 extra extra extra extra");
    ConfereErroDeUso("imprime-leitura-x", "agora");
    ConfereErroDeUso("imprime-leitura-memoria-fiscal", "");
    ConfereErroDeUso("imprime-leitura-memoria-fiscal", "D 01032007");
    ConfereErroDeUso("imprime-leitura-memoria-fiscal", "X 0001 0002");
    ConfereErroDeUso("imprime-leitura-memoria-fiscal", "C 00a1 0002");
    ConfereErroDeUso("imprime-leitura-memoria-fiscal", "C 0001 0002 extra");
    ConfereErroDeUso("imprime-fita-detalhe", "");
    ConfereErroDeUso("imprime-fita-detalhe", "0 1 2");
    ConfereErroDeUso("imprime-fita-detalhe", "1 000100");
    ConfereErroDeUso("imprime-fita-detalhe", "1 0001xx 000200");
    ConfereErroDeUso("imprime-fita-detalhe", "3");
    ConfereErroDeUso("gera-espelho-lmf", "mf.bin 0 1 1");
    ConfereErroDeUso("gera-espelho-lmf", "mf.bin 0 1 1 2 3");
    ConfereErroDeUso("gera-espelho-lmf", "mf.bin 2 1 1 2");
    ConfereErroDeUso("gera-espelho-lmf", "mf.bin 0 2 1 2");
    ConfereErroDeUso("gera-espelho-lmf", "mf.bin 0 1 um 2");
    ConfereErroDeUso("gera-espelho-lmf", "mf.bin 0 1 12345 2");
    ConfereErroDeUso("gera-espelho-lmf", "mf.bin 0 0 01032007 3103");
    ConfereErroDeUso("gera-registros-tipo-e", "mf.bin");
    ConfereErroDeUso("gera-registros-tipo-e", "mf.bin \"\" 0 extra");
    ConfereErroDeUso("gera-registros-tipo-e", "mf.bin \"\" 9");
    ConfereErroDeUso("gera-registros-tipo-e", "\"\" \"\" 0");
    ConfereErroDeUso("gera-registros-tipo-e", "mf.bin \"\" 1");
    ConfereErroDeUso("leitura-rz", "extra");
    ConfereErroDeUso("expandir", "so-um");
    ConfereErroDeUso("expandir", "a b c");
    ConfereErroDeUso("expandir", "-f a b");
}

TEST_F(LinhaDeComando, ResultCodesShownWithTheirMeaning)
{
    // Exports that fail give exit 1 and their result with its meaning.
    std::string saida;
    EXPECT_EQ(Talvor("gera-espelhos nada.MFD 2", &saida), 1);
    EXPECT_EQ(saida.rfind("GeraEspelhos: resultado 1 (arquivo ileg", 0), 0u) << saida;
    EXPECT_EQ(Talvor("gera-espelhos sem-extensao 2", &saida), 1);
    EXPECT_EQ(saida, "GeraEspelhos: resultado 3 (arquivo sem extens\xC3\xA3o)\n");
    EXPECT_EQ(Talvor("gera-espelho-lmf nada.bin 0 1 1 2", &saida), 1);
    EXPECT_EQ(saida.rfind("GeraEspelhoLMF: resultado 1 (arquivo da mem", 0), 0u) << saida;
    EXPECT_EQ(Talvor("gera-registros-tipo-e \"\" nada.RZ 3", &saida), 1);
    EXPECT_EQ(saida.rfind("GeraRegistrosTipoE: resultado 1 (", 0), 0u) << saida;
    EXPECT_EQ(Talvor("expandir nada.bin saida.bin", &saida), 1);
    EXPECT_EQ(saida.rfind("ExpandCapture: resultado 1 (", 0), 0u) << saida;
}

TEST_F(LinhaDeComando, DownloadsRefuseAMissingFolderBeforeTouchingThePrinter)
{
    // No output folders here and nothing behind COM7: the missing folder is
    // reported first, in one line, and the printer is never opened.
    struct Caso {
        const char *argumentos;
        const char *linha;
    } casos[] = {
        {"le-binario-mf --porta COM7",
         "talvor le-binario-mf: a pasta \"Arquivos MF/\" n\xC3\xA3o existe no diret\xC3\xB3rio atual"},
        {"le-software-basico --porta COM7",
         "talvor le-software-basico: a pasta \"Arquivos SB/\" n\xC3\xA3o existe"},
        {"download-memorias --porta COM7 0 3",
         "talvor download-memorias: a pasta \"Arquivos Bin"},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.argumentos);
        std::string saida, erro;
        EXPECT_EQ(Talvor(c.argumentos, &saida, &erro), 1);
        EXPECT_EQ(saida, "");
        EXPECT_EQ(erro.rfind(c.linha, 0), 0u) << erro;
        EXPECT_EQ(erro.find('\n'), erro.size() - 1) << erro;
    }
#if !defined(_WIN32)
    // With the folders in place the same command goes on to open the port
    // (mapped here to a device that does not exist).
    CriaDiretoriosSaida();
    DefineVariavel("TALVOR_COM7", "/dev/talvor-porta-inexistente");
    std::string saida;
    EXPECT_EQ(Talvor("le-binario-mf --porta COM7", &saida), 1);
    DefineVariavel("TALVOR_COM7", nullptr);
    EXPECT_EQ(saida.rfind("Open: resultado 1 ", 0), 0u) << saida;
#endif
}

#if !defined(_WIN32)
TEST_F(LinhaDeComando, PortasListsTheMappedPorts)
{
    DefineVariavel("TALVOR_COM1", "/dev/talvor-porta-de-teste");
    DefineVariavel("TALVOR_COM5", "/dev/ttyUSB7");
    std::string saida;
    int r = Talvor("portas", &saida);
    DefineVariavel("TALVOR_COM1", nullptr);
    DefineVariavel("TALVOR_COM5", nullptr);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(saida.rfind("Portas seriais", 0), 0u) << saida;
    EXPECT_NE(saida.find("  COM1   /dev/talvor-porta-de-teste  (TALVOR_COM1)\n"), std::string::npos)
        << saida;
    EXPECT_NE(saida.find("  COM5   /dev/ttyUSB7  (TALVOR_COM5)\n"), std::string::npos) << saida;
    EXPECT_NE(saida.find("Dispositivos USB HID"), std::string::npos) << saida;
    // A device named by a variable appears once, with that name.
    EXPECT_EQ(saida.find("/dev/ttyUSB7"), saida.rfind("/dev/ttyUSB7"));
}

// The manual pages render without a single groff warning.
TEST_F(LinhaDeComando, ManualPagesRenderCleanly)
{
    ASSERT_EQ(Executa("groff --version >/dev/null 2>&1"), 0) << "groff missing";
    for (const char *pagina : {"talvor.1", "talvor-sim.1"}) {
        std::string caminho = std::string(TALVOR_SOURCE_DIR) + "/doc/" + pagina;
        ASSERT_TRUE(ExisteArquivo(caminho)) << caminho;
        std::string texto;
        EXPECT_EQ(Executa("groff -man -Tutf8 -ww -P-cbou '" + caminho + "' 2>avisos.txt", &texto), 0);
        EXPECT_EQ(LeArquivo("avisos.txt"), "") << pagina;
        EXPECT_NE(texto.find("SINOPSE"), std::string::npos) << pagina;
    }
}
#endif

}  // namespace
