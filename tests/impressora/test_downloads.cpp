// Memory downloads against the emulator: the whole fiscal memory and basic
// software compared byte for byte with the images it served, detail-tape
// downloads compared with record streams composed here, file selection by
// dates and counters, and the failures (restart request, a device that
// disappears, block answers too long, a failed first block, no directory).
#if !defined(_WIN32)

#include "common/relogio_nomes.h"
#include "comum_impressora.h"
#include "platform/plataforma.h"

namespace {

std::string Registro29(uint8_t tipo, uint32_t inicio = 0, uint32_t fim = 0)
{
    return ParametrosFD(kIdSim, tipo, inicio, fim);
}

uint16_t DataCompactaTeste(unsigned dia, unsigned mes, unsigned ano)
{
    return static_cast<uint16_t>(((ano - 1990) << 9) | (mes << 5) | dia);
}

// The detail tape of the tests: three closed files and the current one.
// registrosA etc. hold the bytes the download must copy of each file.
struct FitaTeste {
    std::string registrosA, registrosB, registrosC, registrosAtual;

    void Grava(const std::string &dir)
    {
        ASSERT_EQ(CriaDiretorio(dir.c_str()), 0);
        DataFD d1{10, 3, 2007, 9, 30, 0}, d2{15, 3, 2007, 10, 0, 5}, d3{20, 3, 2007, 18, 45, 30};

        // A: documents spanning many blocks, an over-long text stored as its
        // fixed part and 0xFF, fillers.
        ConstrutorFD a;
        a.IdentificacaoECF("TV0123SIM78901234567", "TALVOR", "7720-QX3", "ECF-IF");
        a.InicioCupom(d1, 101, 55);
        for (int i = 0; i < 20; ++i)
            a.LinhaImpressa("ITEM " + std::to_string(i) + std::string(30 + i, '.') + "1,00");
        a.Bytes(std::string("\x7A\xFF\xFF", 3));    // count 255 > 254
        a.Bytes(std::string("\x9E\x55\xFF", 3));    // count 85 > 84
        a.TextoGuardado(std::string(84, 'T'));      // at its limit
        a.Item(1, "0001", 1000, "UN", 150, 0, 0, std::string(28, 'D'));
        a.FimDocumento(0xA1, d1);
        a.Preenchimento(5);
        registrosA = a.Fluxo();

        // B: ends with a record cut by the end of the file.
        ConstrutorFD b;
        b.InicioReducaoZ(d2, 102, 7);
        b.LinhaBR(3, "REDUCAO Z");
        b.LinhaAtributos("ABC", std::string("\x04\x80\x00", 3));
        b.FimDocumento(0xA3, d2);
        registrosB = b.Fluxo();
        b.LinhaImpressa(std::string(60, 'X'));
        std::string conteudoB = b.Fluxo().substr(0, b.Fluxo().size() - 20);

        // C: exactly two blocks long.
        ConstrutorFD c;
        c.InicioLeituraX(d3, 103);
        while (c.Tamanho() < 256 - 11)
            c.LinhaImpressa("0123456789");
        c.Preenchimento(256 - c.Tamanho());
        registrosC = c.Fluxo();

        ConstrutorFD atual;
        atual.InicioLeituraX(d3, 104);
        atual.LinhaImpressa("LEITURA X");
        atual.FimDocumento(0xA4, d3);
        registrosAtual = atual.Fluxo();

        GravaArquivo(dir + "/MFD000001.DT", registrosA);
        GravaArquivo(dir + "/MFD000002.DT", conteudoB);
        GravaArquivo(dir + "/MFD000003.DT", registrosC);
        GravaArquivo(dir + "/File_Current", registrosAtual);
        GravaArquivo(dir + "/diretorio.txt",
                     "# nome data hora contador4 contador8\n"
                     "MFD000001.DT 10032007 093000 0001 00000010\n"
                     "MFD000002.DT 15032007 100004 0002 00000020\n"
                     "MFD000003.DT 20032007 184530 0003 00000030\n");
    }
};

}  // namespace

class Downloads : public ComImpressora {
protected:
    // Serves an image of tamanho bytes with opcao and downloads it with
    // baixa: the path of the one file written in dir (40 characters), whose
    // content was checked to be the image followed by sufixo.
    std::string BaixaImagem(const char *opcao, size_t tamanho, unsigned semente, int (*baixa)(),
                            int semAssinatura, const std::string &dir, const std::string &sufixo)
    {
        const std::string imagem = ImagemTeste(tamanho, semente);
        GravaArquivo("imagem.bin", imagem);
        EXPECT_EQ(Conecta({opcao, "imagem.bin"}), 0);
        EXPECT_EQ(baixa(), ResultadoEsperado(semAssinatura));
        const std::string caminho = UnicoArquivo(dir);
        EXPECT_EQ(caminho.size(), 40u);
        ConfereDownload(caminho, imagem + sufixo);
        return caminho;
    }
};

TEST_F(Downloads, WholeFiscalMemoryForLeBinarioMF)
{
    const std::string caminho =
        BaixaImagem("--mf", 1048576, 11, LeBinarioMF, 3, "Arquivos MF/", Registro29(3));
    EXPECT_EQ(caminho.substr(12, 8), "MFTV0123");
    EXPECT_EQ(caminho.substr(caminho.size() - 4), ".BIN");
    // The last block was asked with the addresses fff80 and fffff.
    std::vector<std::string> c = sim_.Comandos();
    EXPECT_EQ(c.back(), HexComando("\x1B\x66\xFF\x11" "fff80fffff"));
    EXPECT_EQ(c[5], HexComando("\x1B\x66\xFF\x11" "00080000ff"));
}

TEST_F(Downloads, FiscalMemoryAndDetailTapeForDownloadMemorias)
{
    std::string imagem = ImagemTeste(1048576, 23);
    GravaArquivo("mf.bin", imagem);
    FitaTeste fita;
    fita.Grava("fita");
    ASSERT_EQ(Conecta({"--mf", "mf.bin", "--fita", "fita"}), 0);
    EXPECT_EQ(DownloadMemorias("2", "0", "15032007", "15032007"), ResultadoEsperado(5));
    std::string registro = Registro29(0, DataCompactaTeste(15, 3, 2007), DataCompactaTeste(15, 3, 2007));
    std::vector<std::string> nomes = ListaDiretorio(DIR_BINARIOS);
    std::string mf, mfd;
    for (const std::string &n : nomes)
        (n.size() > 4 && n.substr(n.size() - 4) == ".MFD" ? mfd : mf) = std::string(DIR_BINARIOS) + n;
    ASSERT_FALSE(mf.empty());
    ConfereDownload(mf, imagem + registro);
    if (AssinaturaDisponivel()) {
        // An end date equal to a file's date goes on to the next file.
        ASSERT_FALSE(mfd.empty());
        ConfereDownload(mfd, registro + fita.registrosB + fita.registrosC);
    }
}

TEST_F(Downloads, WholeBasicSoftware)
{
    BaixaImagem("--sb", 524288, 5, LeSoftwareBasico, 5, "Arquivos SB/", "");
}

TEST_F(Downloads, WholeDetailTape)
{
    FitaTeste fita;
    fita.Grava("fita");
    ASSERT_EQ(Conecta({"--fita", "fita"}), 0);
    EXPECT_EQ(DownloadMemorias("1", "3", "", ""), ResultadoEsperado(5));
    ConfereDownload(UnicoArquivo(DIR_BINARIOS),
                    Registro29(3) + fita.registrosA + fita.registrosB + fita.registrosC +
                        fita.registrosAtual);
    // Closed files are opened by name and closed; the current one is read
    // with its own command and never opened.
    std::string reg = sim_.Registro();
    EXPECT_NE(reg.find(HexComando(std::string("\x1B\x66\x60\x00" "MFD000002.DT", 16))), std::string::npos);
    EXPECT_NE(reg.find(HexComando(std::string("\x1B\x66\x6A\x00\x00\x00\x00\x00", 8))), std::string::npos);
    EXPECT_EQ(reg.find("File_Current"), std::string::npos);
}

TEST_F(Downloads, DetailTapeSelection)
{
    FitaTeste fita;
    fita.Grava("fita");
    struct Caso {
        const char *parametro, *inicio, *fim;
        uint8_t tipo;
        uint32_t s, e;
        std::string esperado;
    } casos[] = {
        // 32-bit counters: from the first file reaching 15 to the first
        // reaching 20, included.
        {"2", "15", "20", 2, 15, 20, fita.registrosB},
        // Below every counter: from the first file.
        {"2", "0", "10", 2, 0, 10, fita.registrosA},
        // 16-bit counters beyond every closed file: the current file only.
        {"1", "50", "60", 1, 50, 60, fita.registrosAtual},
        // Dates after the last closed file: the current file only.
        {"0", "01042007", "30042007", 0, DataCompactaTeste(1, 4, 2007), DataCompactaTeste(30, 4, 2007),
         fita.registrosAtual},
        // Dates from the start, end before any later file: up to the file
        // dated after the end, included, then the walk stops.
        {"0", "01012007", "12032007", 0, DataCompactaTeste(1, 1, 2007), DataCompactaTeste(12, 3, 2007),
         fita.registrosA + fita.registrosB},
        // The end never reached: through the current file.
        {"1", "2", "9", 1, 2, 9, fita.registrosB + fita.registrosC + fita.registrosAtual},
    };
    ASSERT_EQ(Conecta({"--fita", "fita"}), 0);
    RelogioDeNomes relogio;
    for (const Caso &c : casos) {
        for (const std::string &n : ListaDiretorio(DIR_BINARIOS))
            RemoveArquivo((std::string(DIR_BINARIOS) + n).c_str());
        EXPECT_EQ(DownloadMemorias("1", c.parametro, c.inicio, c.fim), ResultadoEsperado(5))
            << c.parametro << " " << c.inicio;
        ConfereDownload(UnicoArquivo(DIR_BINARIOS), Registro29(c.tipo, c.s, c.e) + c.esperado);
        relogio.Avanca();   // a new name for the next file
    }
}

TEST_F(Downloads, NoClosedFiles)
{
    ASSERT_EQ(CriaDiretorio("vazia"), 0);
    GravaArquivo("vazia/diretorio.txt", "");
    ConstrutorFD atual;
    atual.LinhaImpressa("SO O ATUAL");
    GravaArquivo("vazia/File_Current", atual.Fluxo());
    ASSERT_EQ(Conecta({"--fita", "vazia"}), 0);
    EXPECT_EQ(DownloadMemorias("1", "0", "01012007", "31122007"), ResultadoEsperado(5));
    ConfereDownload(UnicoArquivo(DIR_BINARIOS),
                    Registro29(0, DataCompactaTeste(1, 1, 2007), DataCompactaTeste(31, 12, 2007)) +
                        atual.Fluxo());
}

// Faults at exchanges in the middle of a detail-tape download: the file is
// the same as without them.
TEST_F(Downloads, DetailTapeUnderFaults)
{
    FitaTeste fita;
    fita.Grava("fita");
    std::string esperado = Registro29(3) + fita.registrosA + fita.registrosB + fita.registrosC +
                           fita.registrosAtual;
    const char *falhas[] = {"--falha-crc",      "--falha-bit",          "--falha-tipo6",
                            "--falha-silencio", "--falha-intermediaria", "--falha-executando"};
    for (const char *f : falhas) {
        Close();
        for (const std::string &n : ListaDiretorio(DIR_BINARIOS))
            RemoveArquivo((std::string(DIR_BINARIOS) + n).c_str());
        ASSERT_EQ(Conecta({"--fita", "fita", f, "@5,@9,@12,@20"}), 0) << f;
        EXPECT_EQ(DownloadMemorias("1", "3", "", ""), ResultadoEsperado(5)) << f;
        ConfereDownload(UnicoArquivo(DIR_BINARIOS), esperado);
        sim_.Para();
    }
}

TEST_F(Downloads, RestartRequestInTheMiddle)
{
    ASSERT_EQ(Conecta({"--falha-reinicio", "@40"}), 0);
    EXPECT_EQ(LeSoftwareBasico(), 3);
    // The partial file stays, without its signature line.
    std::string parcial = LeArquivo(UnicoArquivo("Arquivos SB/"));
    EXPECT_EQ(parcial.size(), 35u * 128u);
    Close();
    ASSERT_EQ(Open("COM1", "7720-QX3"), 0);
    EXPECT_EQ(ImprimeLeituraX(), 0);
}

TEST_F(Downloads, DeviceThatDisappears)
{
    ASSERT_EQ(Conecta({"--sai-apos", "30"}), 0);
    EXPECT_EQ(LeBinarioMF(), 3);
    EXPECT_EQ(LeArquivo(UnicoArquivo("Arquivos MF/")).size(), 26u * 128u);   // commands 5 to 30
}

TEST_F(Downloads, BlockAnswerLongerThanAHalfWindow)
{
    FitaTeste fita;
    fita.Grava("fita");
    // Exchanges: 4 identification, 5 to 8 listing, 9 open, 10 block 0,
    // 11 block 1, 12 block 2.
    ASSERT_EQ(Conecta({"--fita", "fita", "--falha-bloco-longo", "@12"}), 0);
    EXPECT_EQ(DownloadMemorias("1", "3", "", ""), 3);
    std::string conteudo = LeArquivo(UnicoArquivo(DIR_BINARIOS));
    EXPECT_LT(conteudo.size(), 29u + fita.registrosA.size());
    EXPECT_EQ(conteudo.compare(0, 29, Registro29(3)), 0);
}

TEST_F(Downloads, FailedFirstBlockEndsTheDownload)
{
    FitaTeste fita;
    fita.Grava("fita");
    for (const char *troca : {"@10", "@11"}) {
        Close();
        for (const std::string &n : ListaDiretorio(DIR_BINARIOS))
            RemoveArquivo((std::string(DIR_BINARIOS) + n).c_str());
        ASSERT_EQ(Conecta({"--fita", "fita", "--falha-erro", troca}), 0);
        EXPECT_EQ(DownloadMemorias("1", "3", "", ""), 3) << troca;
        EXPECT_EQ(LeArquivo(UnicoArquivo(DIR_BINARIOS)), Registro29(3)) << troca;
        sim_.Para();
    }
}

TEST_F(Downloads, ListingStopsAt2555Files)
{
    // 2600 closed files; the 2556th matches the range but is never listed,
    // so only the current file is copied.
    ASSERT_EQ(CriaDiretorio("muitos"), 0);
    std::string lista;
    for (int i = 1; i <= 2600; ++i) {
        char nome[16], linha[64];
        std::snprintf(nome, sizeof nome, "F%011d", i);
        std::snprintf(linha, sizeof linha, "%s 01012007 000000 0000 %08d\n", nome, i);
        lista += linha;
        GravaArquivo(std::string("muitos/") + nome, "\x75");
    }
    GravaArquivo("muitos/diretorio.txt", lista);
    ConstrutorFD atual;
    atual.LinhaImpressa("ATUAL");
    GravaArquivo("muitos/File_Current", atual.Fluxo());
    ASSERT_EQ(Conecta({"--fita", "muitos"}), 0);
    EXPECT_EQ(DownloadMemorias("1", "2", "2556", "2556"), ResultadoEsperado(5));
    ConfereDownload(UnicoArquivo(DIR_BINARIOS), Registro29(2, 2556, 2556) + atual.Fluxo());
    size_t proximos = 0;
    for (const std::string &c : sim_.Comandos())
        proximos += c.compare(0, 11, "1B 66 65 01") == 0;
    EXPECT_EQ(proximos, 2555u);
}

TEST_F(Downloads, OutputDirectoryMissing)
{
    ASSERT_EQ(Conecta({}), 0);
    Executa("rm -rf 'Arquivos SB'");
    EXPECT_EQ(LeSoftwareBasico(), 5);
    EXPECT_EQ(DownloadMemorias("0", "2", "1", "2"), 7);
    EXPECT_EQ(DownloadMemorias("9", "3", "", ""), 7);
}

#endif
