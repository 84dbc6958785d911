// The bindings as a host developer uses them.  Each binding's example
// (Python package installed with pip, Free Pascal unit compiled in Delphi
// and in default mode, C# class on Mono) runs against the installed library
// and talvor-sim serving the sample printer while the C example
// examples/hospedeiro.c runs on a second emulator, both at the same frozen
// instant: every file the binding leaves verifies and equals its twin.
// Then how each binding hands texts over: a UTF-8 file name reaches the
// library as it is, and a text the binding cannot encode is refused.
#if !defined(_WIN32) && defined(TALVOR_SIM_PATH) && defined(TALVOR_HOSPEDEIRO_PATH)

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "bindings/comum_ligacoes.h"
#include "common/simulador.h"
#include "common/util.h"
#include "platform/plataforma.h"

namespace {

struct Ligacao {
    const char *nome;
    const char *prepara;   // builds or installs the binding in the test directory
    const char *ambiente;  // what a host sets to find the installed library
    const char *exemplo;   // the example, run in a subdirectory, without arguments
    const char *textos_arquivo, *textos_fonte, *textos_compila, *textos_roda;
};

void PrintTo(const Ligacao &l, std::ostream *os) { *os << l.nome; }

const Ligacao kLigacoes[] = {
    {"Python", kInstalaPython, "TALVOR_BIBLIOTECA=\"$L/libtalvor.so.1\"", "../venv/bin/python ../exemplo.py", "textos.py",
     "import talvor\n"
     "print(talvor.GeraEspelhoLMF('Arquivos MF/Cópia de março.BIN', '0', '0', '01032025', '31032025'))\n"
     "try:\n"
     "    talvor.Open('COM1', '7720-QX3\\u0142')\n"
     "except talvor.ErroTexto as e:\n"
     "    print('recusado:', e)\n",
     "true", "../venv/bin/python ../textos.py"},
    {"FreePascal",
     "mkdir pas pas-fpc && for m in delphi:pas fpc:pas-fpc; do "
     "fpc -M${m%:*} -Sew -vw -FU${m#*:} -FE${m#*:} -Fu\"$F/bindings/pascal\" -Fl\"$L\" "
     "\"$F/bindings/pascal/exemplo.pas\" >/dev/null || exit 1; done",
     "LD_LIBRARY_PATH=\"$L\"", "../pas/exemplo", "textos.pas",
     "program textos;\n"
     "{$IFDEF FPC}{$CODEPAGE UTF8}{$MODESWITCH EXCEPTIONS}{$ENDIF}\n"
     "uses SysUtils, Talvor;\n"
     "begin\n"
     "  WriteLn(GeraEspelhoLMF(PAnsiChar(ArquivoTalvor('Arquivos MF/Cópia de março.BIN')), '0', '0',\n"
     "    '01032025', '31032025'));\n"
     "  try\n"
     "    Open('COM1', PAnsiChar(TextoTalvor('7720-QX3ł')));\n"
     "  except\n"
     "    on E: ETextoTalvor do WriteLn('recusado: ', E.Message);\n"
     "  end;\n"
     "end.\n",
     "fpc -Mdelphi -Sew -vw -FUpas -FEpas -Fu\"$F/bindings/pascal\" -Fl\"$L\" textos.pas >/dev/null",
     "../pas/textos"},
    {"CSharpMono",
     "mkdir cs && mcs -warnaserror -target:library -out:cs/Talvor.dll \"$F/bindings/csharp/Talvor.cs\" && "
     "cp \"$F/bindings/csharp/Talvor.dll.config\" cs/ && "
     "mcs -warnaserror -r:cs/Talvor.dll -out:cs/exemplo.exe \"$F/bindings/csharp/Exemplo.cs\"",
     "LD_LIBRARY_PATH=\"$L\"", "mono ../cs/exemplo.exe", "textos.cs",
     "using System;\n"
     "public static class Textos {\n"
     "  public static void Main() {\n"
     "    Console.WriteLine(Talvor.Ecf.GeraEspelhoLMF(\"Arquivos MF/Cópia de março.BIN\", \"0\", \"0\",\n"
     "                                                 \"01032025\", \"31032025\"));\n"
     "    try { Talvor.Ecf.Open(\"COM1\", \"7720-QX3\\ud800\"); }\n"
     "    catch (ArgumentException e) { Console.WriteLine(\"recusado: \" + e.Message); }\n"
     "  }\n"
     "}\n",
     "mcs -warnaserror -r:cs/Talvor.dll -out:cs/textos.exe textos.cs", "mono ../cs/textos.exe"},
};

class Ligacoes : public AmbienteLigacoes, public ::testing::WithParamInterface<Ligacao> {};

// The one file of a directory, "" when it holds another number of files.
std::string Unico(const std::string &dir)
{
    const std::vector<std::string> nomes = ListaDiretorio(dir);
    return nomes.size() == 1 ? dir + nomes[0] : "";
}

TEST_P(Ligacoes, ExampleLeavesTheFilesOfTheCExample)
{
    const Ligacao &l = GetParam();
    ASSERT_NO_FATAL_FAILURE(Instala());
    EXECUTA_OK(Variaveis() + l.prepara);
    for (const char *d : {"c", "b", "r"}) {
        ASSERT_EQ(mkdir(d, 0755), 0);
        for (const char *s : kDiretoriosSaida)
            ASSERT_EQ(mkdir((std::string(d) + "/" + s).c_str(), 0755), 0);
    }
    Simulador sim_c, sim_b;
    ASSERT_NO_FATAL_FAILURE(IniciaEm("c", &sim_c));
    ASSERT_NO_FATAL_FAILURE(IniciaEm("b", &sim_b));
    const std::string argumentos = std::string(" COM1 7720-QX3 ") + kInicio + " " + kFim;
    Executa(Variaveis() + "(cd c && TALVOR_COM1=" + sim_c.Caminho() + " " + kInstante +
            "'" TALVOR_HOSPEDEIRO_PATH "' \"$L/libtalvor.so.1\"" + argumentos +
            " >../c.txt 2>&1; echo $? >../c.rc) & (cd b && TALVOR_COM1=" + sim_b.Caminho() + " " +
            l.ambiente + " " + kInstante + l.exemplo + argumentos +
            " >../b.txt 2>&1; echo $? >../b.rc) & wait");
    sim_c.Para();
    sim_b.Para();
    ASSERT_EQ(LeArquivo("c.rc"), "0\n") << LeArquivo("c.txt");
    ASSERT_EQ(LeArquivo("b.rc"), "0\n") << LeArquivo("b.txt");

    const std::string bin = Unico("b/Arquivos MF/"), emf = Unico("b/Arquivos TXT Espelho/"),
                      tipoe = Unico("b/Arquivos TXT Formatados/");
    ASSERT_FALSE(bin.empty() || emf.empty() || tipoe.empty()) << LeArquivo("b.txt");
    EXECUTA_OK("'" TALVOR_CLI_PATH "' verificar '" + bin + "' '" + emf + "' '" + tipoe + "'");
    // The image and identification equal the C example's fiscal-memory
    // download (their range records differ by design).
    std::string mf;
    for (const std::string &n : ListaDiretorio("c/" DIR_BINARIOS))
        if (n.size() > 3 && n.compare(n.size() - 3, 3, ".MF") == 0)
            mf = LeArquivo("c/" DIR_BINARIOS + n);
    const size_t imagem_e_id = 1048576 + 20;
    ASSERT_GE(mf.size(), imagem_e_id);
    EXPECT_TRUE(LeArquivo(bin).compare(0, imagem_e_id, mf, 0, imagem_e_id) == 0);
    // The mirror has the C example's name and bytes.
    EXPECT_TRUE(ExisteArquivo("c" + emf.substr(1))) << emf;
    EXPECT_TRUE(LeArquivo(emf) == LeArquivo("c" + emf.substr(1))) << emf;
    // The type-E file equals what the tool makes of the same download.
    EXECUTA_OK("cd r && " + std::string(kInstante) + "'" TALVOR_CLI_PATH "' gera-registros-tipo-e '../" +
               bin + "' '' 0");
    EXPECT_TRUE(ExisteArquivo("r" + tipoe.substr(1))) << tipoe;
    EXPECT_TRUE(LeArquivo(tipoe) == LeArquivo("r" + tipoe.substr(1))) << tipoe;

    // Texts: a UTF-8 file name, and one text the binding must refuse.
    EXECUTA_OK("cp '" + bin + "' 'b/Arquivos MF/Cópia de março.BIN'");
    GravaArquivo(l.textos_arquivo, l.textos_fonte);
    EXECUTA_OK(Variaveis() + l.textos_compila);
    std::string saida;
    ASSERT_EQ(Executa(Variaveis() + "cd b && " + l.ambiente + " " + l.textos_roda + " 2>&1", &saida), 0)
        << saida;
    EXPECT_EQ(saida.substr(0, 12), "0\nrecusado: ") << saida;
}

INSTANTIATE_TEST_SUITE_P(Todas, Ligacoes, ::testing::ValuesIn(kLigacoes),
                         [](const ::testing::TestParamInfo<Ligacao> &i) { return std::string(i.param.nome); });

}  // namespace

#endif
