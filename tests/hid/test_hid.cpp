// The USB HID channel against a fake backend: the device search, the
// report layout both ways, long answers fetched as feature reports,
// malformed answers refused, unplugging and the search every 2500 ms on an
// injected clock, write failures, reopening, the state after a failed
// search, reads that fail (here and in the scanner's reader), and the
// limit on a silent printer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/backend_hid_falso.h"
#include "link/hid.h"
#include "link/link.h"
#include "platform/dialogo_captura.h"
#include "scanner/leitor_scanner.h"
#include "talvor/ecf.h"

namespace {

constexpr uint16_t kPagina = 0xFF45;
constexpr uint16_t kUso = 0x3800;

// An input or feature report: identifier, L little-endian, payload, zeros
// up to the report length.
std::string Relatorio(uint8_t id, const std::string &payload, size_t tamanho, int l = -1)
{
    unsigned v = l >= 0 ? static_cast<unsigned>(l) : static_cast<unsigned>(payload.size() + 2);
    std::string r;
    r.push_back(static_cast<char>(id));
    r.push_back(static_cast<char>(v & 0xFF));
    r.push_back(static_cast<char>((v >> 8) & 0xFF));
    r += payload;
    if (r.size() < tamanho)
        r.append(tamanho - r.size(), '\0');
    return r.substr(0, std::max(tamanho, size_t(3)));
}

std::string Payload(size_t n, uint8_t semente)
{
    std::string p;
    for (size_t i = 0; i < n; ++i)
        p.push_back(static_cast<char>(semente + i * 7));
    return p;
}

class CanalHidTeste : public ::testing::Test {
protected:
    void SetUp() override
    {
        HidDefineBackend(falso_.Tabela());
    }
    void TearDown() override
    {
        HidClose();
        HidDefineBackend(nullptr);
    }
    // A printer with 64-byte input and output reports and 2046-byte feature
    // reports, and an opened channel.
    size_t AbreImpressora(uint32_t saida = 64)
    {
        size_t i = falso_.Acrescenta(kPagina, kUso, 64, saida, 2046);
        EXPECT_EQ(HidOpen(), 0);
        falso_.AguardaOcioso();
        return i;
    }
    int Recebe(std::string *resposta)
    {
        uint8_t buf[TAMANHO_RESPOSTA];
        std::memset(buf, 0xEE, sizeof buf);
        uint32_t n = 12345;
        int r = HidReceive(buf, &n);
        resposta->assign(reinterpret_cast<char *>(buf), n);
        return r;
    }
    // Once the reader is idle, the answer is handed over whole.
    void Entrega(const std::string &esperada)
    {
        falso_.AguardaOcioso();
        std::string resposta;
        EXPECT_EQ(Recebe(&resposta), 0);
        EXPECT_EQ(resposta, esperada);
    }
    BackendFalso falso_;
};

TEST_F(CanalHidTeste, OpenFindsOnlyThePrinterUsage)
{
    size_t outro = falso_.Acrescenta(kPagina, 0x4B00, 64, 64, 0);
    size_t teclado = falso_.Acrescenta(0x0001, 0x0006, 9, 2, 0);
    EXPECT_EQ(HidOpen(), 18);
    // The devices that did not match were opened and closed again.
    for (size_t i : {outro, teclado}) {
        EXPECT_EQ(falso_.Dispositivo(i).aberturas, 1u);
        EXPECT_EQ(falso_.Dispositivo(i).fechamentos, 1u);
    }
    uint32_t n = 7;
    uint8_t b[4];
    EXPECT_EQ(HidReceive(b, &n), 25);
    EXPECT_EQ(HidSend(b, 1), 25);
    // A printer plugged in later, behind the others, is found.
    size_t impressora = falso_.Acrescenta(kPagina, kUso, 64, 64, 64);
    EXPECT_EQ(HidOpen(), 0);
    EXPECT_EQ(falso_.Dispositivo(impressora).aberturas, 1u);
    EXPECT_EQ(falso_.Dispositivo(impressora).fechamentos, 0u);
}

TEST_F(CanalHidTeste, NoHidSupportGives18)
{
    falso_.SemHid = true;
    falso_.Acrescenta(kPagina, kUso, 64, 64, 64);
    EXPECT_EQ(HidOpen(), 18);
}

TEST_F(CanalHidTeste, CommandReportsUseIdentifier2Below59Bytes)
{
    AbreImpressora();
    std::string c58 = Payload(58, 1), c59 = Payload(59, 2);
    EXPECT_EQ(HidSend(reinterpret_cast<const uint8_t *>(c58.data()), 58), 0);
    EXPECT_EQ(HidSend(reinterpret_cast<const uint8_t *>(c59.data()), 59), 0);
    std::vector<std::string> w = falso_.Escritos();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0], std::string("\x02\x3C\x00", 3) + c58 + std::string(64 - 61, '\0'));
    EXPECT_EQ(w[1], std::string("\x01\x3D\x00", 3) + c59 + std::string(64 - 62, '\0'));
    // 62 bytes fill the 64-byte report exactly; 62 + 3 do not fit.
    std::string c61 = Payload(61, 3);
    EXPECT_EQ(HidSend(reinterpret_cast<const uint8_t *>(c61.data()), 61), 0);
    EXPECT_EQ(HidSend(reinterpret_cast<const uint8_t *>(c61.data()), 62), 20);
}

TEST_F(CanalHidTeste, LongCommandInALongOutputReport)
{
    AbreImpressora(300);
    std::string c = Payload(255, 9);
    EXPECT_EQ(HidSend(reinterpret_cast<const uint8_t *>(c.data()), 255), 0);
    ASSERT_EQ(falso_.Escritos().size(), 1u);
    EXPECT_EQ(falso_.Escritos()[0], std::string("\x01\x01\x01", 3) + c + std::string(42, '\0'));
}

TEST_F(CanalHidTeste, AnswersInInputAndFeatureReports)
{
    size_t d = AbreImpressora();
    std::string resposta;
    // Before any answer: 2, nothing copied.
    uint8_t buf[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    uint32_t n = 99;
    EXPECT_EQ(HidReceive(buf, &n), 2);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), 8), "\x01\x02\x03\x04\x05\x06\x07\x08");

    // L = 40: 38 bytes from the input report, no feature report.
    std::string p38 = Payload(38, 0x10);
    p38[8] = 0x00;
    falso_.Envia(d, Relatorio(0, p38, 64));
    Entrega(p38);
    EXPECT_TRUE(falso_.RecursosPedidos().empty());
    EXPECT_EQ(Recebe(&resposta), 2);

    // Longer answers come in a feature report: 0 up to L = 255, 1 beyond.
    // Byte 8 of the answer holds the flags; 0x40 says more follows.
    const struct { size_t n; uint8_t semente, flags; int recurso, resultado; } longas[] = {
        {98, 0x20, 0x40, 0, 1},     // L = 100
        {298, 0x30, 0x04, 1, 0},    // L = 300
        {2043, 0x40, 0, 1, 0},      // the longest answer the caller's buffer holds
    };
    for (const auto &l : longas) {
        SCOPED_TRACE(l.n);
        std::string p = Payload(l.n, l.semente);
        p[8] = static_cast<char>(l.flags);
        falso_.DefineRecurso(d, l.recurso, Relatorio(static_cast<uint8_t>(l.recurso), p, 2046));
        falso_.Envia(d, Relatorio(0, "", 64, static_cast<int>(l.n + 2)));
        falso_.AguardaOcioso();
        EXPECT_EQ(Recebe(&resposta), l.resultado);
        EXPECT_EQ(resposta, p);
        ASSERT_EQ(falso_.RecursosPedidos().size(), static_cast<size_t>(&l - longas + 1));
        EXPECT_EQ(falso_.RecursosPedidos().back(), l.recurso);
    }
}

TEST_F(CanalHidTeste, MalformedAnswersAreRefused)
{
    size_t d = AbreImpressora();
    std::string resposta;
    // L below 2, L beyond the bytes read, a feature answer beyond the
    // caller's 2043 bytes, a feature report whose own L is below 2, and a
    // report too short to hold L: all dropped.
    falso_.Envia(d, Relatorio(0, "", 64, 1));
    falso_.Envia(d, Relatorio(0, "", 64, 0xFFFF));
    falso_.Envia(d, Relatorio(0, Payload(20, 1), 20, 63));
    falso_.DefineRecurso(d, 1, Relatorio(1, Payload(2044, 5), 2046));
    falso_.Envia(d, Relatorio(0, "", 64, 2046));
    falso_.Envia(d, std::string("\x00\x05", 2));
    falso_.AguardaOcioso();
    EXPECT_EQ(Recebe(&resposta), 2);
    falso_.DefineRecurso(d, 0, Relatorio(0, "", 2046, 1));
    falso_.Envia(d, Relatorio(0, "", 64, 100));
    falso_.AguardaOcioso();
    EXPECT_EQ(Recebe(&resposta), 2);
    // The channel goes on: the next good answer is handed over.
    std::string p = Payload(5, 3);
    falso_.Envia(d, Relatorio(0, p, 64));
    Entrega(p);
    // Answers of two to eight bytes have no flags byte: never 1.
    falso_.Envia(d, Relatorio(0, "", 64));
    Entrega("");
}

TEST_F(CanalHidTeste, OneAnswerAtATime)
{
    size_t d = AbreImpressora();
    falso_.Envia(d, Relatorio(0, "um", 64));
    falso_.Envia(d, Relatorio(0, "dois", 64));
    Entrega("um");
    Entrega("dois");
}

TEST_F(CanalHidTeste, UnplugAndReplugWithin2500ms)
{
    size_t d = AbreImpressora();
    falso_.Liga(d, false);
    falso_.AguardaOcioso();
    uint8_t c[3] = {0x1B, 'f', 1};
    std::string resposta;
    EXPECT_EQ(HidSend(c, 3), 25);
    EXPECT_EQ(Recebe(&resposta), 25);
    falso_.Liga(d, true);
    falso_.Avanca(2499);
    falso_.AguardaOcioso();
    EXPECT_EQ(HidSend(c, 3), 25);
    falso_.Avanca(1);
    falso_.AguardaOcioso();
    EXPECT_EQ(HidSend(c, 3), 0);
    // A read is posted again on the device found anew.
    falso_.Envia(d, Relatorio(0, "ok", 64));
    Entrega("ok");
    // While connected, time passing does not search again.
    unsigned aberturas = falso_.Dispositivo(d).aberturas;
    falso_.Avanca(10000);
    falso_.AguardaOcioso();
    EXPECT_EQ(falso_.Dispositivo(d).aberturas, aberturas);
}

TEST_F(CanalHidTeste, WriteFailures)
{
    AbreImpressora();
    uint8_t c[3] = {0x1B, 'f', 1};
    falso_.FalhaEscrita(22, false);
    EXPECT_EQ(HidSend(c, 3), 22);
    // A write that fails, at once or after waiting: 4.
    falso_.FalhaEscrita(4, false);
    EXPECT_EQ(HidSend(c, 3), 4);
    EXPECT_EQ(HidSend(c, 3), 4);
    // ... and when the device is gone the channel is no longer connected.
    falso_.FalhaEscrita(4, true);
    EXPECT_EQ(HidSend(c, 3), 4);
    falso_.FalhaEscrita(0, false);
    EXPECT_EQ(HidSend(c, 3), 2);
}

TEST_F(CanalHidTeste, ReopenedChannelReadsAgain)
{
    size_t d = AbreImpressora();
    EXPECT_EQ(HidClose(), 0);
    EXPECT_EQ(HidClose(), 0);
    std::string resposta;
    EXPECT_EQ(Recebe(&resposta), 25);
    EXPECT_EQ(HidOpen(), 0);
    falso_.AguardaOcioso();
    falso_.Envia(d, Relatorio(0, "de novo", 64));
    Entrega("de novo");
}

TEST_F(CanalHidTeste, OpenCom0WithoutPrinterGives1)
{
    size_t scanner = falso_.Acrescenta(kPagina, 0x4B00, 64, 64, 0);
    EXPECT_EQ(Open("COM0", "7720-QX3"), 1);
    Close();
    EXPECT_EQ(Open("COM8", "7720-QX3"), 1);
    Close();
    // Both went through the HID channel's search.
    EXPECT_EQ(falso_.Dispositivo(scanner).aberturas, 2u);
    EXPECT_EQ(falso_.Dispositivo(scanner).fechamentos, 2u);
}

TEST_F(CanalHidTeste, OpenCom0WithASilentPrinterGives2AndClosesTheChannel)
{
    size_t d = falso_.Acrescenta(kPagina, kUso, 64, 64, 2046);
    EXPECT_EQ(Open("COM0", "7720-QX3"), 2);
    Close();
    EXPECT_EQ(falso_.Dispositivo(d).aberturas, 1u);
    EXPECT_EQ(falso_.Dispositivo(d).fechamentos, 1u);
    std::string resposta;
    EXPECT_EQ(Recebe(&resposta), 25);
}

TEST_F(CanalHidTeste, NoChannelOnceTheSearchAfterAFailedWriteFails)
{
    size_t d = AbreImpressora();
    uint8_t c[3] = {0x1B, 'f', 1};
    falso_.FalhaEscrita(4, true);
    EXPECT_EQ(HidSend(c, 3), 4);
    EXPECT_EQ(HidSend(c, 3), 2);
    falso_.Permite(d, false);   // not found again, its read never ends
    falso_.Avanca(2500);
    falso_.AguardaOcioso();
    std::string resposta;
    EXPECT_EQ(HidSend(c, 3), 25);
    EXPECT_EQ(Recebe(&resposta), 25);
}

TEST_F(CanalHidTeste, AFailedReadIsPostedAgain)
{
    size_t d = AbreImpressora();
    std::string resposta;
    // The posted read fails when it ends...
    falso_.FalhaLeituras(1);
    falso_.Envia(d, Relatorio(0, "um", 64));
    falso_.AguardaOcioso();
    EXPECT_EQ(Recebe(&resposta), 2);
    falso_.Avanca(100);
    Entrega("um");
    // ... or the one posted once the slot is emptied fails at once.
    falso_.Envia(d, Relatorio(0, "dois", 64));
    falso_.AguardaOcioso();
    falso_.FalhaLeituras(1);
    falso_.Envia(d, Relatorio(0, "tres", 64));
    EXPECT_EQ(Recebe(&resposta), 0);
    EXPECT_EQ(resposta, "dois");
    falso_.AguardaOcioso();
    EXPECT_EQ(Recebe(&resposta), 2);
    falso_.Avanca(100);
    Entrega("tres");
}

TEST_F(CanalHidTeste, SilenceEndsWithNoAnswerButWorkKeepsTheWait)
{
    size_t d = AbreImpressora();
    uint8_t c[3] = {0x1B, 'f', 1};
    std::string resposta;
    ASSERT_EQ(HidSend(c, 3), 0);
    // A printer that says "still running" within every 30 s is waited for.
    std::string executando = Payload(20, 1);
    executando[8] = 0x20;
    for (int i = 0; i < 3; ++i) {
        falso_.Avanca(29999);
        falso_.Envia(d, Relatorio(0, executando, 64));
        falso_.AguardaOcioso();
        EXPECT_EQ(Recebe(&resposta), 0);
    }
    falso_.Avanca(29999);
    falso_.AguardaOcioso();
    EXPECT_EQ(Recebe(&resposta), 2);
    falso_.Avanca(1);
    EXPECT_EQ(Recebe(&resposta), 16);
    // The next command's write starts the count again.
    ASSERT_EQ(HidSend(c, 3), 0);
    EXPECT_EQ(Recebe(&resposta), 2);
}

// The scanner's reader, too, posts again a read that failed.
std::vector<std::string> relatoriosScanner;

void NotificaScanner(unsigned mensagem)
{
    uint32_t n = 0;
    const uint8_t *r = RelatorioScanner(&n);
    if (mensagem == MSG_RELATORIO)
        relatoriosScanner.emplace_back(reinterpret_cast<const char *>(r), n);
}

TEST(LeitorScannerTeste, AFailedReadIsPostedAgain)
{
    BackendFalso falso;
    size_t scanner = falso.Acrescenta(kPagina, 0x4B00, 32, 0, 0);
    relatoriosScanner.clear();
    ASSERT_EQ(IniciaLeitorScanner(falso.Tabela(), NotificaScanner), 0);
    falso.AguardaOcioso();
    falso.FalhaLeituras(1);
    falso.Envia(scanner, std::string(32, 'a'));
    falso.AguardaOcioso();
    EXPECT_TRUE(relatoriosScanner.empty());
    falso.Avanca(100);
    falso.AguardaOcioso();
    EXPECT_EQ(relatoriosScanner, std::vector<std::string>({std::string(32, 'a')}));
    ParaLeitorScanner();
}

#if defined(_WIN32)
// The system's backend: HID.DLL and SETUPAPI.DLL load from the system
// directory, the events are made, and with no printer the search ends.
TEST(BackendHidWindows, LoadsFromTheSystemDirectoryAndSearches)
{
    const BackendHid *b = BackendHidSistema();
    SistemaHid *s = b->Abre();
    ASSERT_NE(s, nullptr);
    InfoDispositivoHid info {};
    EXPECT_EQ(b->Procura(s, kPagina, kUso, &info), HID_AUSENTE);
    b->Libera(s);
}
#endif

}  // namespace
