// The scanner capture's core against scripted report sequences: code
// order, repeated and missing codes, codes spread over several reports,
// reports that fail their checks, over-long codes, the stored file
// (moved as it is, or expanded and signed) under its final name, and the
// exact log texts.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/compressor_captura.h"
#include "common/construtor_fd.h"
#include "common/util.h"
#include "files/assinatura.h"
#include "platform/dialogo_captura.h"
#include "platform/plataforma.h"
#include "scanner/nucleo_captura.h"
#include "scanner/relatorios.h"

namespace {

// The face as the test sees it.
std::string registro;
std::map<unsigned, bool> habilitado;
bool encerrado = false;

void Acrescenta(const char *t) { registro += t; }
void Substitui(const char *t) { registro = t; }
void Habilita(unsigned c, bool h) { habilitado[c] = h; }
void Encerra() { encerrado = true; }
const SaidaCaptura kFace = {Acrescenta, Substitui, Habilita, Encerra};

const std::string kInicio = "Inicio de leitura de Bitmap.\r\nLeia o c\xF3" "digo 1.\r\n";
const std::string kConecte = "Conecte o scanner.\r\n";
const std::string kErro = "Erro!!! Leia o c\xF3" "digo novamente.\r\n";
const std::string kSucesso = "Leitura conclu\xED" "da com sucesso!\r\n";
std::string Leia(int n) { return "Leia o c\xF3" "digo " + std::to_string(n) + ".\r\n"; }

// Capture data: a record stream that begins with an identification record
// (the short identification "TV0123" comes from its bytes 1 to 6).
std::string DadosCaptura(size_t linhas)
{
    ConstrutorFD f;
    f.IdentificacaoECF("TV0123456789", "TALVOR", "7720-QX3", "ECF-IF");
    for (size_t i = 0; i < linhas; ++i)
        f.LinhaImpressa("LINHA " + std::to_string(i) + " DA REDUCAO Z");
    return f.Fluxo();
}

class NucleoCaptura : public DiretorioTemporario {
protected:
    void SetUp() override
    {
        DiretorioTemporario::SetUp();
        CriaDiretorio("tmp");
        char cwd[1024];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        tmp_ = std::string(cwd) + "/tmp";
        DefineVariavel("TMPDIR", tmp_.c_str());
        DefineVariavel("TMP", tmp_.c_str());
        DefineVariavel("TEMP", tmp_.c_str());
        registro.clear();
        habilitado.clear();
        encerrado = false;
        IniciaNucleoCaptura();
        DefineSaidaCaptura(&kFace);
        DefineScannerConectado(true);
    }
    void TearDown() override
    {
        TrataMensagemCaptura(MSG_DESTRUIDO, 0);
        DefineSaidaCaptura(nullptr);
        DefineScannerConectado(false);
        DefineVariavel("TMPDIR", nullptr);
        DiretorioTemporario::TearDown();
    }
    void Botao(unsigned controle) { TrataMensagemCaptura(MSG_COMANDO, controle); }
    void Envia(const std::string &r)
    {
        CapturaRelatorio(reinterpret_cast<const uint8_t *>(r.data()), static_cast<uint32_t>(r.size()));
    }
    void EnviaCodigo(const std::string &codigo, size_t porRelatorio = 200)
    {
        for (const std::string &r : RelatoriosDoCodigo(codigo, porRelatorio))
            Envia(r);
    }
    // Files stored in "Arquivos Binários/".
    std::vector<std::string> Guardados() { return ListaDiretorio(DIR_BINARIOS); }
    // The data split into codes of up to porCodigo bytes, sent in order,
    // then the closing code with the rest; the log that should result.
    std::string CapturaCompleta(const std::string &dados, size_t porCodigo)
    {
        size_t i = 0;
        int n = 1;
        std::string esperado = kInicio;
        while (dados.size() - i > porCodigo) {
            EnviaCodigo(CodigoDados(static_cast<unsigned>(n), dados.substr(i, porCodigo)));
            i += porCodigo;
            ++n;
            esperado += Leia(n);
        }
        EnviaCodigo(CodigoFinal(dados.substr(i), static_cast<unsigned>(n)));
        return esperado + kSucesso;
    }
    // The one stored file's name and content.
    std::string Guardado(std::string *nome = nullptr)
    {
        std::vector<std::string> g = Guardados();
        EXPECT_EQ(g.size(), 1u);
        if (g.size() != 1)
            return "";
        if (nome != nullptr)
            *nome = g[0];
        return LeArquivo(std::string(DIR_BINARIOS) + g[0]);
    }
    std::string tmp_;
};

// "TV0123_" + YYYYMMDD_HHMMSS + ".RZ"
void ConfereNome(const std::string &nome)
{
    ASSERT_EQ(nome.size(), 6u + 1 + 15 + 3) << nome;
    EXPECT_EQ(nome.substr(0, 7), "TV0123_");
    EXPECT_EQ(nome.substr(22), ".RZ");
    for (size_t i : {7u, 8u, 9u, 10u, 11u, 12u, 13u, 14u, 16u, 17u, 18u, 19u, 20u, 21u})
        EXPECT_TRUE(nome[i] >= '0' && nome[i] <= '9') << nome;
    EXPECT_EQ(nome[15], '_');
}

TEST_F(NucleoCaptura, StartWithoutScannerThenScannerFound)
{
    DefineScannerConectado(false);
    registro = "old text";
    Botao(CONTROLE_INICIAR);
    EXPECT_EQ(registro, kInicio + kConecte);
    EXPECT_FALSE(habilitado[CONTROLE_INICIAR]);
    EXPECT_TRUE(habilitado[CONTROLE_CANCELAR]);
    DefineScannerConectado(true);
    TrataMensagemCaptura(MSG_CONECTADO, 0);
    EXPECT_EQ(registro, kInicio + kConecte + "Scanner conectado. Leia o c\xF3" "digo 1.\r\n");
    TrataMensagemCaptura(MSG_DESCONECTADO, 0);
    EXPECT_EQ(registro, kInicio + kConecte + "Scanner conectado. Leia o c\xF3" "digo 1.\r\n" + kConecte);
}

TEST_F(NucleoCaptura, NothingHappensBeforeStartOrAfterCancel)
{
    TrataMensagemCaptura(MSG_CONECTADO, 0);
    TrataMensagemCaptura(MSG_DESCONECTADO, 0);
    EnviaCodigo(CodigoDados(1, "abc"));
    Botao(CONTROLE_CONFIGURAR);
    EXPECT_EQ(registro, "");
    Botao(CONTROLE_INICIAR);
    Botao(CONTROLE_CANCELAR);
    EXPECT_EQ(registro, kInicio + "Leitura cancelada\r\n");
    EXPECT_TRUE(habilitado[CONTROLE_INICIAR]);
    EXPECT_FALSE(habilitado[CONTROLE_CANCELAR]);
    EnviaCodigo(CodigoDados(1, "abc"));
    EXPECT_EQ(registro, kInicio + "Leitura cancelada\r\n");
    EXPECT_FALSE(encerrado);
    Botao(CONTROLE_SAIR);
    EXPECT_TRUE(encerrado);
}

TEST_F(NucleoCaptura, InOrderCodesStoreTheCaptureAsItIs)
{
    std::string dados = DadosCaptura(40);
    Botao(CONTROLE_INICIAR);
    std::string esperado = CapturaCompleta(dados, 300);
    EXPECT_EQ(registro, esperado);
    std::string nome;
    EXPECT_EQ(Guardado(&nome), dados);   // no signature line added
    ConfereNome(nome);
    EXPECT_TRUE(habilitado[CONTROLE_INICIAR]);
    EXPECT_FALSE(habilitado[CONTROLE_CANCELAR]);
    // Nothing is left in the temporary directory.
    EXPECT_TRUE(ListaDiretorio("tmp").empty());
    // Reports after the end are ignored.
    EnviaCodigo(CodigoDados(1, "x"));
    EXPECT_EQ(registro, esperado);
}

TEST_F(NucleoCaptura, OutOfOrderRepeatedAndMissingCodes)
{
    std::string a = DadosCaptura(3), b = "SEGUNDO", fim = "FIM";
    Botao(CONTROLE_INICIAR);
    std::string esperado = kInicio;
    EnviaCodigo(CodigoDados(2, b));          // 2 while 1 is expected
    esperado += kErro;
    EnviaCodigo(CodigoDados(1, a));
    esperado += Leia(2);
    EnviaCodigo(CodigoDados(1, a));          // read twice
    esperado += kErro;
    EnviaCodigo(CodigoFinal(fim, 3));        // count says 2 data codes, 1 accepted
    esperado += kErro;
    EnviaCodigo(CodigoDados(2, b));          // the missing code
    esperado += Leia(3);
    EnviaCodigo(CodigoFinal(fim, 3));
    esperado += kSucesso;
    EXPECT_EQ(registro, esperado);
    EXPECT_EQ(Guardado(), a + b + fim);
}

TEST_F(NucleoCaptura, CodesSpreadOverSeveralReports)
{
    std::string dados = DadosCaptura(150);
    ASSERT_GT(dados.size(), 1500u);
    Botao(CONTROLE_INICIAR);
    // Codes of 1800 bytes in reports of 37 payload bytes each.
    size_t i = 0;
    int n = 1;
    std::string esperado = kInicio;
    while (dados.size() - i > 1800) {
        EnviaCodigo(CodigoDados(static_cast<unsigned>(n), dados.substr(i, 1800)), 37);
        i += 1800;
        esperado += Leia(++n);
    }
    EnviaCodigo(CodigoFinal(dados.substr(i), static_cast<unsigned>(n)), 37);
    EXPECT_EQ(registro, esperado + kSucesso);
    EXPECT_EQ(Guardado(), dados);
}

TEST_F(NucleoCaptura, ReportFailingItsChecksDiscardsTheCode)
{
    Botao(CONTROLE_INICIAR);
    std::vector<std::string> partes = RelatoriosDoCodigo(CodigoDados(1, std::string(300, 'A')), 100);
    ASSERT_EQ(partes.size(), 4u);
    Envia(partes[0]);
    std::string ruim = partes[1];
    ruim[3] = 0x04;                           // wrong fixed byte
    Envia(ruim);
    EXPECT_EQ(registro, kInicio + kErro);
    // Had the first part been kept, this code would start with it.
    EnviaCodigo(CodigoDados(1, "UM"));
    EXPECT_EQ(registro, kInicio + kErro + Leia(2));
    EnviaCodigo(CodigoFinal("", 2));
    EXPECT_EQ(Guardado(), "UM");
}

TEST_F(NucleoCaptura, EveryFixedByteIsChecked)
{
    Botao(CONTROLE_INICIAR);
    std::string bom = RelatorioScannerTeste(CodigoDados(1, "x"), false);
    std::string esperado = kInicio;
    for (size_t i : {2u, 3u, 4u, 10u}) {   // 0x10, 0x03, 0x00 and 0x0B at n = 10
        std::string r = bom;
        r[i] = static_cast<char>(r[i] ^ 0x20);
        Envia(r);
        esperado += kErro;
    }
    // n below 7, n at or past the end of what was read, reports too short.
    std::string r = bom;
    r[1] = 6;
    Envia(r);
    Envia(bom.substr(0, 10));
    Envia(bom.substr(0, 3));
    Envia("");
    esperado += kErro + kErro + kErro + kErro;
    // Bytes n - 1 and beyond n are not examined.
    r = bom;
    r[9] = 0x77;
    r[11] = 0x55;
    Envia(r);
    esperado += Leia(2);
    EXPECT_EQ(registro, esperado);
}

TEST_F(NucleoCaptura, CodesLongerThan2004BytesAreRejected)
{
    Botao(CONTROLE_INICIAR);
    // 2004 bytes exactly: accepted.
    EnviaCodigo(CodigoDados(1, std::string(2002, 'x')));
    EXPECT_EQ(registro, kInicio + Leia(2));
    // 2005 bytes: rejected when the report that passes the limit arrives.
    EnviaCodigo(CodigoDados(2, std::string(2003, 'y')));
    EXPECT_EQ(registro, kInicio + Leia(2) + kErro);
    // Short codes: no sequence number, or a closing code without count.
    EnviaCodigo("\x00");
    EnviaCodigo("\xFF\xFF\x00");
    EXPECT_EQ(registro, kInicio + Leia(2) + kErro + kErro + kErro);
    EnviaCodigo(CodigoFinal("z", 2));
    EXPECT_EQ(Guardado(), std::string(2002, 'x') + "z");
}

TEST_F(NucleoCaptura, CompressedCaptureIsExpandedSignedAndStored)
{
    std::string dados = DadosCaptura(200);
    for (bool pequena : {true, false}) {
        OpcoesCompressor o;
        o.pequena = pequena;
        std::string comprimida = Comprime(dados, o);
        ASSERT_LT(comprimida.size(), dados.size());
        Botao(CONTROLE_INICIAR);
        EXPECT_EQ(registro, kInicio);
        std::string esperado = CapturaCompleta(comprimida, 500);
        EXPECT_EQ(registro, esperado);
        std::string nome;
        std::string guardado = Guardado(&nome);
        ConfereNome(nome);
        ASSERT_EQ(guardado.size(), dados.size() + 259);
        EXPECT_EQ(guardado.substr(0, dados.size()), dados);
        EXPECT_EQ(guardado.substr(dados.size(), 3), "EAD");
        FILE *f = std::fopen((std::string(DIR_BINARIOS) + nome).c_str(), "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(VerificaAssinaturaFinal(f, guardado.size()), 0);
        std::fclose(f);
        EXPECT_TRUE(ListaDiretorio("tmp").empty());
        RemoveArquivo((std::string(DIR_BINARIOS) + nome).c_str());
    }
}

TEST_F(NucleoCaptura, FailedExpansionLeavesTheCaptureInPlace)
{
    Botao(CONTROLE_INICIAR);
    std::string ruim = std::string("\xDB\x99\x04\xF5", 4) + std::string("\xE8\x00\x00", 3);
    EnviaCodigo(CodigoFinal(ruim, 1));
    // No success: the error, and where the capture was kept.
    const std::string erro = "Erro na expans\xE3o da captura. Captura mantida em Arquivos Bin\xE1rios/RZ_";
    ASSERT_EQ(registro.substr(0, kInicio.size() + erro.size()), kInicio + erro);
    std::vector<std::string> g = Guardados();
    ASSERT_EQ(g.size(), 1u);   // no half-expanded file, nothing stored as .RZ
    EXPECT_EQ(registro.substr(kInicio.size() + erro.size() - 3), g[0] + "\r\n");
    EXPECT_EQ(g[0].substr(g[0].size() - 8), ".captura");
    std::string mantida = std::string(DIR_BINARIOS) + g[0];
    EXPECT_EQ(LeArquivo(mantida), ruim);
    EXPECT_STREQ(TemporarioCaptura(), "");
    // The controls stay; cancel re-enables the start.
    EXPECT_TRUE(habilitado[CONTROLE_CANCELAR]);
    Botao(CONTROLE_CANCELAR);
    EXPECT_TRUE(habilitado[CONTROLE_INICIAR]);
    // Closing the dialog keeps it.
    TrataMensagemCaptura(MSG_DESTRUIDO, 0);
    EXPECT_TRUE(ExisteArquivo(mantida));
}

TEST_F(NucleoCaptura, ANewStartDeletesTheCancelledReadingsFile)
{
    Botao(CONTROLE_INICIAR);
    EnviaCodigo(CodigoDados(1, "abc"));
    std::string primeiro = TemporarioCaptura();
    EXPECT_TRUE(ExisteArquivo(primeiro));
    Botao(CONTROLE_CANCELAR);
    Botao(CONTROLE_INICIAR);
    EXPECT_EQ(registro, kInicio);
    EXPECT_EQ(Guardados().size(), 1u);
    EXPECT_NE(std::string(TemporarioCaptura()), "");
    EXPECT_EQ(LeArquivo(TemporarioCaptura()), "");
    // The new reading starts from code 1 with an empty file.
    EnviaCodigo(CodigoDados(1, "def"));
    EnviaCodigo(CodigoFinal("", 2));
    EXPECT_EQ(Guardado(), "def");
}

TEST_F(NucleoCaptura, ReportsOfAnyLengthAndContent)
{
    std::mt19937 r(3);
    Botao(CONTROLE_INICIAR);
    size_t aceitos = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string rel(r() % 300, '\0');
        for (char &c : rel)
            c = static_cast<char>(r());
        // Mostly well-formed, so that codes build up: the framing bytes, and
        // 0x0B at the length byte's place (7 to 255, inside the report).
        const bool enquadrado = rel.size() > 8 && r() % 2;
        if (enquadrado) {
            const size_t n = 7 + r() % (std::min<size_t>(rel.size(), 256) - 8);
            rel[1] = static_cast<char>(n);
            rel[2] = 0x10, rel[3] = 0x03, rel[4] = 0x00;
            rel[n] = 0x0B;
        }
        const size_t antes = registro.size();
        Envia(rel);
        const std::string novo = registro.substr(antes);
        // Each report adds at most one line: the error, or the next code
        // to read; one left unframed is refused.
        if (novo.empty()) {
            ++aceitos;
        } else if (novo != kErro) {
            EXPECT_EQ(novo.rfind("Leia o c\xF3" "digo ", 0), 0u) << "report " << i << ": " << novo;
        }
        if (!enquadrado) {
            EXPECT_EQ(novo, kErro) << "report " << i;
        }
    }
    EXPECT_GT(aceitos, 1000u) << aceitos;
    // Still reading: a refused report ends the code being gathered, and a
    // whole capture then goes through from code 1.
    EXPECT_TRUE(habilitado[CONTROLE_CANCELAR]);
    EXPECT_EQ(Guardados().size(), 1u);   // the reading's own file only
    Envia("");
    registro.clear();
    const std::string dados = DadosCaptura(30);
    const std::string esperado = CapturaCompleta(dados, 400);
    EXPECT_EQ(kInicio + registro, esperado);
    EXPECT_EQ(Guardado(), dados);
}

}  // namespace

