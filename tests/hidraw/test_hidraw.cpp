// The Linux HID backend (hid_posix.cpp, through sysfs and hidraw nodes)
// against emulated kernel interfaces: printers with and without numbered
// reports, answers in feature reports, a scanner whose vendor collection
// is not the first, unplugging and plugging back, nodes without
// permission, and the udev rule's match.  Descriptors and reports are
// built here byte by byte.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <sys/wait.h>
#include <string>
#include <vector>

#include "hidraw/hidraw_emulado.h"
#include "common/util.h"
#include "link/comando.h"
#include "link/hid.h"
#include "link/link.h"
#include "platform/dialogo_captura.h"
#include "platform/hid_backend.h"
#include "platform/porta_serial.h"
#include "scanner/leitor_scanner.h"
#include "talvor/ecf.h"

namespace {

// The printer: input and output reports of 63 bytes, features of 2045,
// with or without report identifiers (input and feature 1, output 2 and 1).
std::string DescritorImpressora(bool numerado)
{
    auto id = [&](int n) { return numerado ? Octetos({0x85, n}) : std::string(); };
    return Octetos({0x06, 0x45, 0xFF, 0x0A, 0x00, 0x38, 0xA1, 0x01, 0x75, 0x08}) + id(1) +
           Octetos({0x95, 0x3F, 0x09, 0x01, 0x81, 0x02}) + id(1) +
           Octetos({0x96, 0xFD, 0x07, 0x09, 0x02, 0xB1, 0x02}) + id(2) +
           Octetos({0x95, 0x3F, 0x09, 0x03, 0x91, 0x02}) +
           (numerado ? id(1) + Octetos({0x95, 0x3F, 0x09, 0x04, 0x91, 0x02}) : "") + Octetos({0xC0});
}

const std::string kTeclado =
    Octetos({0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0xC0});

// A keyboard first (report 1), a long item, Push and Pop, then the
// scanner's vendor collection (a 4-byte usage; report 2 when numbered).
std::string DescritorScanner(bool numerado)
{
    return Octetos({0x05, 0x01, 0x09, 0x06, 0xA1, 0x01}) + (numerado ? Octetos({0x85, 0x01}) : "") +
           Octetos({0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0xC0, 0xFE, 0x02, 0x10, 0xAA, 0xBB, 0xA4,
                    0x05, 0x0C, 0x75, 0x01, 0xB4, 0x0B, 0x00, 0x4B, 0x45, 0xFF, 0xA1, 0x01}) +
           (numerado ? Octetos({0x85, 0x02}) : "") + Octetos({0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0xC0});
}

// An answer (RespostaImpressora) of n bytes: flags at 8, 'C' at 13.
std::string Resposta(size_t n, int semente, int indicadores = 0)
{
    std::string r;
    for (size_t i = 0; i < n; ++i)
        r.push_back(static_cast<char>(semente + 3 * i));
    r[8] = static_cast<char>(indicadores);
    r[13] = 'C';
    return r;
}

// A report as it leaves the device: identifier if numbered, L, payload,
// zeros up to the report's length (its identifier not counted).
std::string Relatorio(bool numerado, int id, size_t l, const std::string &payload, size_t tamanho)
{
    std::string r = Octetos({static_cast<int>(l & 0xFF), static_cast<int>(l >> 8)}) + payload;
    r.resize(std::max(tamanho, r.size()), '\0');
    return numerado ? std::string(1, static_cast<char>(id)) + r : r;
}

// What the scanner's reader hands over, and what the capture's log shows.
struct Recebido {
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::string> eventos;   // "C", "D", "P" or a report
} recebido;

void Notifica(unsigned mensagem)
{
    std::lock_guard<std::mutex> t(recebido.m);
    if (mensagem == MSG_RELATORIO) {
        uint32_t n = 0;
        const uint8_t *r = RelatorioScanner(&n);
        recebido.eventos.emplace_back(reinterpret_cast<const char *>(r), n);
    } else {
        recebido.eventos.push_back(mensagem == MSG_CONECTADO      ? "C"
                                   : mensagem == MSG_DESCONECTADO ? "D"
                                                                  : "P");
    }
    recebido.cv.notify_all();
}

bool AguardaEvento(const std::string &evento)
{
    std::unique_lock<std::mutex> t(recebido.m);
    return recebido.cv.wait_for(t, std::chrono::seconds(60), [&] {
        return !recebido.eventos.empty() && recebido.eventos.back() == evento;
    });
}

class Hidraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        HidDefineBackend(nullptr);
        std::lock_guard<std::mutex> t(recebido.m);
        recebido.eventos.clear();
    }
    void TearDown() override
    {
        LinkClose();
        ParaLeitorScanner();
    }
    int Executa(const std::string &comando, std::string *resposta)
    {
        uint8_t b[TAMANHO_RESPOSTA];
        uint32_t n = 0;
        int r = ExecutaComando(reinterpret_cast<const uint8_t *>(comando.data()),
                               static_cast<uint32_t>(comando.size()), b, &n);
        resposta->assign(reinterpret_cast<char *>(b), n);
        return r;
    }
    // The device answers every command with these input reports.
    void Responde(int n, const std::vector<std::string> &entradas)
    {
        entradas_ = entradas;
        k_.Com(n, [this, n](auto &d) {
            d.aoEscrever = [this, n](const std::string &) {
                for (const std::string &e : entradas_)
                    k_.Envia(n, e);
            };
        });
    }
    // Commands both ways, answers in input and feature reports: what
    // reached the device and what came back, byte for byte.  A feature
    // report the device cuts short of its L is dropped.
    void ConfereImpressora(int n, bool numerado)
    {
        struct Caso {
            size_t comando, resposta;
        } casos[] = {{3, 38}, {58, 61}, {59, 98}, {20, 298}, {59, 2043}};
        auto escritos = [&] { return k_.Com(n, [](auto &d) { return d.escritos; }); };
        size_t quantos = escritos().size();
        for (const Caso &c : casos) {
            SCOPED_TRACE(c.resposta);
            std::string comando = Resposta(c.comando, 0x1B), esperada = Resposta(c.resposta, 7);
            size_t l = c.resposta + 2;
            if (l > 63) {
                int id = numerado && l >= 255 ? 1 : 0;
                k_.Com(n, [&](auto &d) {
                    d.recursos[id] = {Relatorio(numerado, id, l, esperada.substr(0, 30), 0),
                                      Relatorio(numerado, id, l, esperada, 0)};
                });
                Responde(n, {Relatorio(numerado, 1, l, "", 63), Relatorio(numerado, 1, l, "", 63)});
            } else {
                Responde(n, {Relatorio(numerado, 1, l, esperada, 63)});
            }
            std::string resposta;
            ASSERT_EQ(Executa(comando, &resposta), 0);
            EXPECT_EQ(resposta, esperada);
            std::vector<std::string> w = escritos();
            ASSERT_EQ(w.size(), ++quantos);
            EXPECT_EQ(w.back(), Relatorio(numerado, c.comando < 59 ? 2 : 1, c.comando + 2, comando, 63));
        }
    }
    HidrawEmulado k_;
    std::vector<std::string> entradas_;
};

TEST_F(Hidraw, PrinterWithNumberedReportsFoundThroughSysfs)
{
    // A keyboard, a printer whose number goes to a keyboard before it is
    // opened (replugged during the search), and the printer.
    k_.Liga(0, kTeclado, false, "teclado");
    k_.Liga(1, DescritorImpressora(true), true);
    k_.Com(1, [](auto &d) { d.trocaAoAbrir = kTeclado; });
    k_.Liga(2, DescritorImpressora(true), true, "Talvor 7720-QX3");
    ASSERT_EQ(LinkOpen(0), 0);
    auto aberturas = [&](int n) { return k_.Com(n, [](auto &d) { return d.aberturas; }); };
    EXPECT_EQ(aberturas(0), 0u);   // sysfs told it apart unopened
    EXPECT_EQ(aberturas(1), 1u);
    EXPECT_EQ(k_.Com(1, [](auto &d) { return d.fechamentos; }), 1u);
    ConfereImpressora(2, true);

    // Reports of any length and content, each dropped or an intermediate
    // answer, before the final one; the device refuses feature requests.
    k_.Com(2, [](auto &d) { d.recursos.clear(); });
    std::mt19937 aleatorio(1);
    std::vector<std::string> ruido;
    for (int i = 0; i < 200; ++i) {
        std::string r(1 + aleatorio() % 130, '\0');
        for (char &c : r)
            c = static_cast<char>(aleatorio());
        size_t l = i % 4 == 0   ? 0x8000 + aleatorio() % 0x8000   // below 0 as a signed L
                   : i % 4 == 1 ? 64 + aleatorio() % 0x7FC0       // announces a feature report
                   : i % 4 == 2 ? r.size()                        // one byte more than came
                                : aleatorio() % 2;
        if (i % 4 == 3 && r.size() >= 12 && r.size() <= 64) {
            l = r.size() - 1;
            r[11] = 0x40;   // a well-formed answer with more to follow
        }
        if (r.size() >= 3) {
            r[1] = static_cast<char>(l & 0xFF);
            r[2] = static_cast<char>((l >> 8) & 0xFF);
        }
        ruido.push_back(r);
    }
    std::string esperada = Resposta(40, 9);
    ruido.push_back(Relatorio(true, 1, 42, esperada, 63));
    Responde(2, ruido);
    std::string resposta;
    EXPECT_EQ(Executa(Octetos({0x1B, 0x66, 0x14, 0x00}), &resposta), 0);
    EXPECT_EQ(resposta, esperada);

    // A write the device does not take within usbhid's limit.
    k_.Com(2, [](auto &d) { d.falhaEscrita = ETIMEDOUT; });
    EXPECT_EQ(Executa(Octetos({0x1B, 0x66, 0x14, 0x00}), &resposta), LINK_FALHA_PASSO);
}

TEST_F(Hidraw, PrinterWithoutReportIds)
{
    k_.Liga(4, DescritorImpressora(false), false);
    ASSERT_EQ(LinkOpen(0), 0);
    ConfereImpressora(4, false);
}

TEST_F(Hidraw, ScannerWhoseVendorCollectionIsNotTheFirst)
{
    for (bool numerado : {true, false}) {
        SCOPED_TRACE(numerado);
        HidrawEmulado k;
        k.Liga(7, DescritorScanner(numerado), numerado, "scanner");
        ASSERT_EQ(IniciaLeitorScanner(BackendHidSistema(), Notifica), 0);
        ASSERT_TRUE(AguardaEvento("C"));
        std::string r = Relatorio(numerado, 2, 0x0B10, Resposta(61, 3), 63);
        k.Envia(7, r);
        // The reader hands every report over with its identifier byte: 0
        // for a scanner that numbers none.
        EXPECT_TRUE(AguardaEvento(numerado ? r : std::string(1, '\0') + r));
        k.Desliga(7);
        EXPECT_TRUE(AguardaEvento("D"));
        ParaLeitorScanner();
    }
}

TEST_F(Hidraw, UnplugAndReplugWithinTheSearch)
{
    k_.Liga(0, DescritorImpressora(true), true);
    ASSERT_EQ(LinkOpen(0), 0);
    HidrawEmulado::Dispositivo &d = k_.dispositivos_[0];
    // The channel is back once it reads from the device's new node.
    auto religa = [&] {
        unsigned tentativas = k_.Com(0, [](auto &d) { return d.tentativas; });
        k_.Religa(0);
        return tentativas;
    };
    std::string resposta, comando = Octetos({0x1B, 0x66, 0x14, 0x00});
    // An answer left in the slot: no read is posted, the unplugging goes
    // unnoticed until the next write fails.
    k_.Envia(0, Relatorio(true, 1, 17, Resposta(15, 0x60), 63));
    ASSERT_TRUE(k_.Aguarda([&] { return d.lidos == 1; }));
    k_.Desliga(0);
    unsigned antes = religa();
    EXPECT_EQ(Executa(comando, &resposta), LINK_HID_ESCRITA);
    ASSERT_TRUE(k_.Aguarda([&] { return d.tentativas > antes; }));
    // The answer of before the unplugging is not taken for this command's.
    std::string nova = Resposta(20, 0x30);
    Responde(0, {Relatorio(true, 1, 22, nova, 63)});
    EXPECT_EQ(Executa(comando, &resposta), 0);
    EXPECT_EQ(resposta, nova);

    // Unplugged while a read waits: the node is closed and found again.
    k_.Desliga(0);
    ASSERT_TRUE(k_.Aguarda([&] { return d.fechamentos == 2; }));
    antes = religa();
    ASSERT_TRUE(k_.Aguarda([&] { return d.tentativas > antes; }));
    EXPECT_EQ(Executa(comando, &resposta), 0);
    EXPECT_EQ(resposta, nova);
    EXPECT_EQ(k_.Com(0, [](auto &d) { return d.aberturas; }), 3u);
}

void Lista(TipoPortaListada tipo, const char *, const char *dispositivo, const char *descricao,
           void *contexto)
{
    if (tipo == PORTA_LISTADA_HID)
        static_cast<std::vector<std::string> *>(contexto)->push_back(std::string(dispositivo) + " " +
                                                                      descricao);
}

TEST_F(Hidraw, DevicesPresentWithoutPermission)
{
    k_.Liga(3, DescritorImpressora(true), true, "Talvor 7720-QX3");
    k_.Liga(5, DescritorScanner(true), true, "leitor");
    k_.Liga(6, kTeclado, false, "teclado");
    for (int n : {3, 5})
        k_.Com(n, [](auto &d) { d.permitido = false; });
    EXPECT_EQ(LinkOpen(0), LINK_FALHA_ESTABELECER);
    EXPECT_EQ(Open("COM0", "7720-QX3"), 1);
    Close();
    std::vector<std::string> portas;
    ListaPortas(Lista, &portas);
    EXPECT_EQ(portas, std::vector<std::string>({
                          "/dev/hidraw3 Talvor 7720-QX3  [impressora]  sem permissão",
                          "/dev/hidraw5 leitor  [scanner de RZ]  sem permissão",
                          "/dev/hidraw6 teclado",
                      }));
    // The scanner's reader tells the dialog once, with the node.
    ASSERT_EQ(IniciaLeitorScanner(BackendHidSistema(), Notifica), 0);
    ASSERT_TRUE(AguardaEvento("P"));
    char caminho[64];
    EXPECT_TRUE(ScannerSemPermissao(caminho, sizeof caminho));
    EXPECT_STREQ(caminho, "/dev/hidraw5");
    // Given access (the udev rule), it is found at the next search.
    k_.Com(5, [](auto &d) { d.permitido = true; });
    ASSERT_TRUE(AguardaEvento("C"));
    EXPECT_FALSE(ScannerSemPermissao(caminho, sizeof caminho));
}

TEST(RegraUdev, MatchesUsagePage0xFF45AtAByteBoundary)
{
    std::FILE *f = std::fopen(TALVOR_SOURCE_DIR "/packaging/udev/60-talvor.rules", "r");
    ASSERT_NE(f, nullptr);
    char linha[2048];
    std::string programa;
    while (std::fgets(linha, sizeof linha, f) != nullptr) {
        std::string l = linha;
        size_t a = l.find("PROGRAM=\"/bin/sh -c '");
        if (a != std::string::npos)
            programa = l.substr(a + 21, l.find("'\"", a) - a - 21);
    }
    std::fclose(f);
    ASSERT_FALSE(programa.empty());
    std::string dir = ::testing::TempDir() + "regra-udev";
    programa.replace(programa.find("/sys%p"), 6, dir);
    struct Caso {
        std::string descritor;
        int resultado;
    } casos[] = {
        {DescritorImpressora(true), 0},
        {DescritorScanner(false), 0},                       // a Usage with its page
        {Octetos({0x07, 0x45, 0xFF, 0x00, 0x00, 0x09, 0x01}), 0},  // a 4-byte Usage Page
        {kTeclado, 1},
        {Octetos({0x05, 0x01, 0x50, 0x64, 0x5F, 0xF0}), 1},        // 06 45 FF across bytes
    };
    ASSERT_EQ(std::system(("mkdir -p '" + dir + "/device'").c_str()), 0);
    for (const Caso &c : casos) {
        std::FILE *d = std::fopen((dir + "/device/report_descriptor").c_str(), "wb");
        ASSERT_NE(d, nullptr);
        std::fwrite(c.descritor.data(), 1, c.descritor.size(), d);
        std::fclose(d);
        int r = std::system(("/bin/sh -c '" + programa + "'").c_str());
        EXPECT_EQ(WEXITSTATUS(r), c.resultado) << programa;
    }
}

}  // namespace
