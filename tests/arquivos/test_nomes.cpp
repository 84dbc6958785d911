// File names, time stamps, extensions and the short identification read
// back from files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

#include "common/util.h"
#include "files/assinatura.h"
#include "files/nomes.h"
#include "files/saida.h"

class Nomes : public DiretorioTemporario {};

static std::string Nome(const char *dir, const char *prefixo, const char *id, const char *ext)
{
    char nome[TAMANHO_NOME];
    MontaNomeArquivo(nome, dir, prefixo, id, ext);
    return nome;
}

TEST_F(Nomes, EveryPatternAndByteLength)
{
    const std::string bin = DIR_BINARIOS;
    // The directory name is one byte longer in UTF-8 than in code page 1252.
    const size_t extra = bin.size() - 18;
    struct Caso {
        std::string nome;
        size_t comprimento;
        std::string comeco;
        std::string fim;
    } casos[] = {
        {Nome(DIR_MF, "MF", "123456", "BIN"), 40, "Arquivos MF/MF123456_", ".BIN"},
        {Nome(DIR_BINARIOS, "", "123456", "MF"), 43 + extra, bin + "123456_", ".MF"},
        {Nome(DIR_BINARIOS, "", "123456", "MFD"), 44 + extra, bin + "123456_", ".MFD"},
        {Nome(DIR_SB, "SB", "123456", "BIN"), 40, "Arquivos SB/SB123456_", ".BIN"},
        {Nome(DIR_BINARIOS, "", "123456", "RZ"), 43 + extra, bin + "123456_", ".RZ"},
        {Nome(DIR_TXT_FORMATADOS, "MF", "123456", "TXT"), 52, "Arquivos TXT Formatados/MF123456_", ".TXT"},
        {Nome(DIR_TXT_FORMATADOS, "MFD", "123456", "TXT"), 53, "Arquivos TXT Formatados/MFD123456_", ".TXT"},
        {Nome(DIR_TXT_FORMATADOS, "TDM", "123456", "TXT"), 53, "Arquivos TXT Formatados/TDM123456_", ".TXT"},
        {Nome(DIR_TXT_FORMATADOS, "RZ", "123456", "TXT"), 52, "Arquivos TXT Formatados/RZ123456_", ".TXT"},
        {Nome(DIR_TXT_ESPELHO, "EMFD", "123456", "TXT"), 51, "Arquivos TXT Espelho/EMFD123456_", ".TXT"},
        {Nome(DIR_TXT_ESPELHO, "EMF", "123456", "TXT"), 50, "Arquivos TXT Espelho/EMF123456_", ".TXT"},
    };
    const std::regex carimbo("[0-9]{8}_[0-9]{6}");
    for (const Caso &c : casos) {
        EXPECT_EQ(c.nome.size(), c.comprimento) << c.nome;
        EXPECT_EQ(c.nome.compare(0, c.comeco.size(), c.comeco), 0) << c.nome;
        EXPECT_EQ(c.nome.compare(c.nome.size() - c.fim.size(), c.fim.size(), c.fim), 0) << c.nome;
        std::string meio = c.nome.substr(c.comeco.size(), 15);
        EXPECT_TRUE(std::regex_match(meio, carimbo)) << c.nome;
    }
}

TEST_F(Nomes, IdentificationBytesThatCannotNameAFileBecomeUnderscores)
{
    const char id[6] = {'A', '\0', '/', ' ', '\\', 'Z'};
    std::string nome = Nome(DIR_MF, "MF", id, "BIN");
    ASSERT_EQ(nome.size(), 40u);
    EXPECT_EQ(nome.substr(12, 9), "MFA__ _Z_");
    EXPECT_EQ(Nome(DIR_MF, "MF", "      ", "BIN").substr(12, 9), "MF      _");
    EXPECT_EQ(Nome(DIR_MF, "MF", "\xC9" "12345", "BIN").substr(14, 6), "\xC9" "12345");
}

// The Windows clock does not read TZ.
#if !defined(_WIN32)
TEST_F(Nomes, TimeStampIsLocalTime)
{
    // Seconds of the day of a "YYYYMMDD_HHMMSS" stamp.
    auto carimbo = [] {
        char c[16];
        MakeTimeStamp(c);
        EXPECT_EQ(std::strlen(c), 15u);
        return std::atoi(std::string(c + 9, 2).c_str()) * 3600 +
               std::atoi(std::string(c + 11, 2).c_str()) * 60 + std::atoi(c + 13);
    };
    FusoHorario tz("UTC0");
    const int antes = carimbo();
    tz.Muda("XXX+3");
    const int oeste = carimbo();
    tz.Muda("UTC0");
    const int depois = carimbo();
    // Three hours behind an instant between the two stamps in UTC.
    EXPECT_LE((oeste + 3 * 3600 - antes + 86400) % 86400, (depois - antes + 86400) % 86400);
}
#endif

TEST_F(Nomes, FileExtension)
{
    char ext[8];
    EXPECT_EQ(FileExtension("dir/arquivo.MFD", ext, sizeof ext), 0);
    EXPECT_STREQ(ext, "MFD");
    EXPECT_EQ(FileExtension("a.b.RZ", ext, sizeof ext), 0);
    EXPECT_STREQ(ext, "RZ");
    EXPECT_EQ(FileExtension("semextensao", ext, sizeof ext), 3);
    EXPECT_EQ(FileExtension(".oculto", ext, sizeof ext), 3);
    EXPECT_EQ(FileExtension("", ext, sizeof ext), 3);
    EXPECT_EQ(FileExtension("x.", ext, sizeof ext), 0);
    EXPECT_STREQ(ext, "");
    // A long extension is cut to the destination, never written past it.
    char pequeno[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(FileExtension("x.MUITOLONGA", pequeno, 4), 0);
    EXPECT_STREQ(pequeno, "MUI");
}

TEST_F(Nomes, ReadShortIdOnShortAndMissingFiles)
{
    char id[6];
    std::memset(id, ' ', 6);
    EXPECT_EQ(ReadShortId("nao-existe", id, ID_IMAGEM_MF), 1);
    EXPECT_EQ(std::string(id, 6), "      ");

    // An MF file that ends with its image: nothing after 1 MiB to read.
    GravaArquivo("imagem.MF", std::string(1048576, '\xFF'));
    EXPECT_EQ(ReadShortId("imagem.MF", id, ID_IMAGEM_MF), 0);
    EXPECT_EQ(std::string(id, 6), "      ");

    // Three bytes after the image: only those three are taken.
    GravaArquivo("curto.MF", std::string(1048576, '\0') + "ABC");
    EXPECT_EQ(ReadShortId("curto.MF", id, ID_IMAGEM_MF), 0);
    EXPECT_EQ(std::string(id, 6), "ABC   ");

    std::memset(id, ' ', 6);
    GravaArquivo("d.MFD", "XY");
    EXPECT_EQ(ReadShortId("d.MFD", id, ID_DOWNLOAD_MFD), 0);
    EXPECT_EQ(std::string(id, 6), "XY    ");
    GravaArquivo("e.MFD", "SERIE1234567890");
    EXPECT_EQ(ReadShortId("e.MFD", id, ID_DOWNLOAD_MFD), 0);
    EXPECT_EQ(std::string(id, 6), "SERIE1");
}

TEST_F(Nomes, ReadShortIdOfARecordStream)
{
    // A print line, then the identification record (tag 0x90, 68 bytes),
    // then the 259-byte trailer.
    std::string fluxo;
    fluxo += '\x03';
    fluxo += "abc";
    std::string id(68, ' ');
    id[0] = '\x90';
    std::memcpy(&id[1], "BE0123456789", 12);
    fluxo += id;
    fluxo += std::string(259, 'E');
    GravaArquivo("c.RZ", fluxo);
    char destino[6];
    std::memset(destino, ' ', 6);
    EXPECT_EQ(ReadShortId("c.RZ", destino, ID_FLUXO_REGISTROS), 0);
    EXPECT_EQ(std::string(destino, 6), "BE0123");

    // Without a 0x90 record, or with it inside the trailer, nothing is taken.
    std::memset(destino, ' ', 6);
    GravaArquivo("d.RZ", std::string("\x02xy", 3) + id.substr(0, 40));
    EXPECT_EQ(ReadShortId("d.RZ", destino, ID_FLUXO_REGISTROS), 0);
    EXPECT_EQ(std::string(destino, 6), "      ");
}

TEST_F(Nomes, TextOutputHasCrLfOnEveryPlatform)
{
    ArquivoSaida s;
    ASSERT_EQ(AbreSaida(&s, "t.txt", true), 0);
    WriteOutput(&s, "ab\ncd\n\n", 7);
    WriteOutput(&s, "x", 0);
    WriteOutput(&s, "e", 1);
    EXPECT_EQ(FechaSaida(&s), 0);
    EXPECT_EQ(LeArquivo("t.txt"), "ab\r\ncd\r\n\r\ne");
    ASSERT_EQ(AbreSaida(&s, "b.bin", false), 0);
    WriteOutput(&s, "ab\ncd", 5);
    EXPECT_EQ(FechaSaida(&s), 0);
    EXPECT_EQ(LeArquivo("b.bin"), "ab\ncd");
    // A name without a time stamp (the tools' own) is replaced whole.
    ASSERT_EQ(AbreSaida(&s, "b.bin", false), 0);
    WriteOutput(&s, "!", 1);
    EXPECT_EQ(FechaSaida(&s), 0);
    EXPECT_EQ(LeArquivo("b.bin"), "!");
    EXPECT_NE(AbreSaida(&s, "nao/existe/x.txt", true), 0);
}

// Writes fail as on a full disk.
int DiscoCheio(int operacao, const char *, const char *, uint64_t)
{
    return operacao == ARQ_ESCREVE ? FALHA_ARQUIVO : 0;
}

TEST_F(Nomes, FailedWriteIsReportedAtClose)
{
    ArquivoSaida s;
    ASSERT_EQ(AbreSaida(&s, "cheio.bin", false), 0);
    GanchoArquivosTeste = DiscoCheio;
    std::string grande(1 << 16, 'x');
    WriteOutput(&s, grande.data(), grande.size());
    EXPECT_NE(FechaSaida(&s), 0);
    GanchoArquivosTeste = nullptr;
    EXPECT_TRUE(ExisteArquivo("cheio.bin"));   // kept as far as it got
}

// Closing with the signature line signs the digest the writer kept: the
// same file as the body written whole and signed by reading it back, for a
// text crossing the writer's buffer many times and for a file appended to.
TEST_F(Nomes, SignedCloseEqualsSigningTheFileReadBack)
{
    std::string texto, disco;
    for (unsigned i = 0; i < 20000; ++i) {
        std::string linha = "linha " + std::to_string(i * 7919u % 100003u) + std::string(i % 37, 'z');
        texto += linha + "\n";
        disco += linha + "\r\n";
    }
    GravaArquivo("relido.txt", disco);
    ASSERT_EQ(AppendSignatureLine("relido.txt"), 0);
    static ArquivoSaida s;
    // The digest in line, and on its own thread (twice: the thread ends
    // with each file).
    for (int paralelo = 0; paralelo < 3; ++paralelo) {
        ASSERT_EQ(AbreSaida(&s, "assinado.txt", true), 0);
        if (paralelo != 0)
            DigestoEmParalelo(&s);
        for (size_t p = 0; p < texto.size(); p += 1 + p % 5000)
            WriteOutput(&s, texto.data() + p, std::min(texto.size() - p, 1 + p % 5000));
        ASSERT_EQ(FechaEAssinaSaida(&s), 0);
        std::string assinado = LeArquivo("assinado.txt");
        EXPECT_EQ(assinado.size(), disco.size() + TAMANHO_LINHA_EAD);
        EXPECT_EQ(assinado, LeArquivo("relido.txt")) << "paralelo " << paralelo;
    }
    // Closed without a signature, the thread ends too.
    ASSERT_EQ(AbreSaida(&s, "semlinha.txt", true), 0);
    DigestoEmParalelo(&s);
    WriteOutput(&s, texto.data(), texto.size());
    ASSERT_EQ(FechaSaida(&s), 0);
    EXPECT_EQ(LeArquivo("semlinha.txt"), disco);


    // An empty body is signed too.
    ASSERT_EQ(AbreSaida(&s, "vazio.txt", true), 0);
    ASSERT_EQ(FechaEAssinaSaida(&s), 0);
    GravaArquivo("vazio2.txt", "");
    ASSERT_EQ(AppendSignatureLine("vazio2.txt"), 0);
    EXPECT_EQ(LeArquivo("vazio.txt"), LeArquivo("vazio2.txt"));
}

TEST_F(Nomes, FailedWriteIsNeverSigned)
{
    static ArquivoSaida s;
    std::string grande(1 << 20, 'x');
    GanchoArquivosTeste = DiscoCheio;
    for (int paralelo = 0; paralelo < 2; ++paralelo) {
        ASSERT_EQ(AbreSaida(&s, "cheio.txt", true), 0);
        if (paralelo != 0)
            DigestoEmParalelo(&s);
        WriteOutput(&s, grande.data(), grande.size());
        EXPECT_NE(FechaEAssinaSaida(&s), 0);
        EXPECT_EQ(LeArquivo("cheio.txt"), "");   // kept as it is: nothing reached it
    }
    // Only the signature line fails: the body is kept, without a part line.
    GanchoArquivosTeste = [](int operacao, const char *, const char *, uint64_t bytes) {
        return operacao == ARQ_ESCREVE && bytes > 0 ? FALHA_ARQUIVO : 0;
    };
    ASSERT_EQ(AbreSaida(&s, "linha.txt", true), 0);
    WriteOutput(&s, "x\n", 2);
    EXPECT_NE(FechaEAssinaSaida(&s), 0);
    EXPECT_EQ(LeArquivo("linha.txt"), "x\r\n");
    GanchoArquivosTeste = nullptr;
}
