// The scanner's reader thread against the fake HID backend: the scanner
// is told from the printer by its usage, every report reaches the dialog,
// and losing and finding the scanner again is notified (on the injected
// clock).
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "common/backend_hid_falso.h"
#include "platform/dialogo_captura.h"
#include "scanner/leitor_scanner.h"

namespace {

std::mutex trava;
std::vector<std::string> recebidos;   // "C", "D", or the report's bytes

void Notifica(unsigned mensagem)
{
    std::lock_guard<std::mutex> t(trava);
    if (mensagem == MSG_CONECTADO) {
        recebidos.push_back("C");
    } else if (mensagem == MSG_DESCONECTADO) {
        recebidos.push_back("D");
    } else if (mensagem == MSG_RELATORIO) {
        uint32_t n = 0;
        const uint8_t *r = RelatorioScanner(&n);
        recebidos.emplace_back(reinterpret_cast<const char *>(r), n);
    }
}

std::vector<std::string> Recebidos()
{
    std::lock_guard<std::mutex> t(trava);
    return recebidos;
}

TEST(LeitorScanner, FindsTheScannerAndHandsOverItsReports)
{
    recebidos.clear();
    BackendFalso falso;
    size_t impressora = falso.Acrescenta(0xFF45, 0x3800, 64, 64, 64);
    size_t scanner = falso.Acrescenta(0xFF45, 0x4B00, 32, 0, 0);
    ASSERT_EQ(IniciaLeitorScanner(falso.Tabela(), Notifica), 0);
    falso.AguardaOcioso();
    EXPECT_EQ(Recebidos(), std::vector<std::string>({"C"}));
    EXPECT_EQ(falso.Dispositivo(impressora).aberturas, falso.Dispositivo(impressora).fechamentos);
    std::string r1(32, 'a'), r2(32, 'b');
    falso.Envia(scanner, r1);
    falso.Envia(scanner, r2);
    falso.AguardaOcioso();
    EXPECT_EQ(Recebidos(), std::vector<std::string>({"C", r1, r2}));

    // Unplugged: disconnected; searched again 2500 ms later.
    falso.Liga(scanner, false);
    falso.AguardaOcioso();
    EXPECT_EQ(Recebidos().back(), "D");
    falso.Liga(scanner, true);
    falso.Avanca(2499);
    falso.AguardaOcioso();
    EXPECT_EQ(Recebidos().back(), "D");
    falso.Avanca(1);
    falso.AguardaOcioso();
    EXPECT_EQ(Recebidos().back(), "C");
    falso.Envia(scanner, r1);
    falso.AguardaOcioso();
    EXPECT_EQ(Recebidos().back(), r1);
    ParaLeitorScanner();
    EXPECT_EQ(falso.Dispositivo(scanner).aberturas, falso.Dispositivo(scanner).fechamentos);
}

TEST(LeitorScanner, MissingScannerIsSearchedEvery2500ms)
{
    recebidos.clear();
    BackendFalso falso;
    ASSERT_EQ(IniciaLeitorScanner(falso.Tabela(), Notifica), 0);
    falso.AguardaOcioso();
    EXPECT_TRUE(Recebidos().empty());
    size_t scanner = falso.Acrescenta(0xFF45, 0x4B00, 32, 0, 0);
    falso.Avanca(2499);
    falso.AguardaOcioso();
    EXPECT_TRUE(Recebidos().empty());
    EXPECT_EQ(falso.Dispositivo(scanner).aberturas, 0u);
    falso.Avanca(1);
    falso.AguardaOcioso();
    EXPECT_EQ(Recebidos(), std::vector<std::string>({"C"}));
    ParaLeitorScanner();
}

TEST(LeitorScanner, NoHidSupport)
{
    BackendFalso falso;
    falso.SemHid = true;
    EXPECT_EQ(IniciaLeitorScanner(falso.Tabela(), Notifica), 1);
    ParaLeitorScanner();
}

}  // namespace
