// Connection and print commands against the emulator: both establishment
// paths, busy printers, the handshake passing and failing, every print
// export's command bytes as the printer received them, and the link's
// recovery from each injected fault.
#if !defined(_WIN32)

#include <cstring>

#include "comum_impressora.h"
#include "link/comando.h"
#include "link/link.h"
#include "link/motor.h"

namespace {

std::string Hex(std::initializer_list<int> bytes, size_t total = 0)
{
    std::string s;
    for (int b : bytes)
        s += static_cast<char>(b);
    if (total > s.size())
        s.resize(total, '\0');
    return HexComando(s);
}

std::string HexTexto(std::initializer_list<int> prefixo, const std::string &texto, size_t total)
{
    std::string s;
    for (int b : prefixo)
        s += static_cast<char>(b);
    s += texto;
    s.resize(total, '\0');
    return HexComando(s);
}

}  // namespace

using Conexao = ComImpressora;

TEST_F(Conexao, FirstProbeAnsweredWithRestartRequest)
{
    ASSERT_EQ(Conecta({"--inicio", "reinicio"}), 0);
    EXPECT_EQ(Link.estado, LINK_ESTABLISHED);
    std::string reg = sim_.Registro();
    EXPECT_EQ(reg.find("# reset"), std::string::npos);   // probe, sync, status, ready
    EXPECT_EQ(reg.find("# sondagem 0\n# sync\n"), 0u);
    EXPECT_NE(reg.find("# autenticacao aceita"), std::string::npos);
    EXPECT_EQ(ImprimeLeituraX(), 0);
}

TEST_F(Conexao, FirstProbeAnsweredOtherwiseAndBusyPrinter)
{
    // Probe, reset, reprobe, resync, wait idle (busy three times), status
    // request, wait ready (busy three times).
    ASSERT_EQ(Conecta({"--inicio", "resposta", "--ocupado", "3"}), 0);
    std::string reg = sim_.Registro();
    size_t reset = reg.find("# reset");
    ASSERT_NE(reset, std::string::npos);
    EXPECT_NE(reg.find("# sync", reset), std::string::npos);
    std::vector<std::string> c = sim_.Comandos();
    ASSERT_GE(c.size(), 3u);
    EXPECT_EQ(c[0], "1B 66 FC 00");
    EXPECT_EQ(c[1], "1B 66 BB 00 00 00 00 00");
    EXPECT_EQ(c[2].substr(0, 11), "1B 66 BB 01");
    EXPECT_EQ(ImprimeLeituraX(), 0);
}

TEST_F(Conexao, NoStatusForEightSecondsResetsTheLink)
{
    // After the status request only empty answers: more than 8 s later the
    // link is reset and brought up again (reprobe, resync, idle, status).
    ASSERT_EQ(Conecta({"--sem-status", "1"}), 0);
    std::string reg = sim_.Registro();
    size_t semStatus = reg.find("# status sem indicadores");
    ASSERT_NE(semStatus, std::string::npos);
    size_t reset = reg.find("# reset", semStatus);
    ASSERT_NE(reset, std::string::npos);
    EXPECT_NE(reg.find("1B 66 FC 00", reset), std::string::npos);
    EXPECT_EQ(ImprimeLeituraX(), 0);
}

TEST_F(Conexao, HandshakeFailsWithOtherKeys)
{
    EXPECT_EQ(Conecta({"--chaves", "12345678,9abcdef,1"}), 3);
    EXPECT_NE(sim_.Registro().find("# autenticacao recusada"), std::string::npos);
    EXPECT_EQ(Open("COM1", "7720-QX3"), 3);   // recorded until Close
    Close();
    ASSERT_EQ(Conecta({}), 0);
}

TEST_F(Conexao, NoPrinterOnThePort)
{
    TerminalTeste pty;   // nobody answers: 51 probes, then 16
    ASSERT_TRUE(pty.Abre());
    EXPECT_EQ(Open("COM1", "7720-QX3"), 2);
    EXPECT_EQ(Open("COM1", "7720-QX3"), 3);
}

TEST_F(Conexao, PrintCommandsAsReceived)
{
    ASSERT_EQ(Conecta({}), 0);
    EXPECT_EQ(ImprimeLeituraX(), 0);
    EXPECT_EQ(ImprimeLeituraMemoriaFiscal("C", "0001", "0010"), 0);
    EXPECT_EQ(ImprimeLeituraMemoriaFiscal("D", "01032007", "31032007"), 0);
    EXPECT_EQ(ImprimeLeituraMemoriaFiscal("c", "0002", "0003"), 0);
    EXPECT_EQ(ImprimeLeituraMemoriaFiscal("d", "01012007", "02012007"), 0);
    EXPECT_EQ(ImprimeLeituraMemoriaFiscal("X", "0001", "0010"), 3);   // nothing sent
    EXPECT_EQ(ImprimeFitaDetalhe("0", "ignorado", "ignorado"), 0);
    EXPECT_EQ(ImprimeFitaDetalhe("1", "000100", "000200"), 0);
    EXPECT_EQ(ImprimeFitaDetalhe("2", "01032007", "31032007"), 0);
    EXPECT_EQ(ImprimeFitaDetalhe("3", "01032007", "31032007"), 3);
    std::vector<std::string> c = sim_.Comandos();
    ASSERT_EQ(c.size(), 3u + 8u);
    EXPECT_EQ(c[3], Hex({0x1B, 0x66, 0x14, 0x00}));
    EXPECT_EQ(c[4], HexTexto({0x1B, 0x66, 0x15, 0x04}, "00010010", 20));
    EXPECT_EQ(c[5], HexTexto({0x1B, 0x66, 0x15, 0x02}, "0103200731032007", 20));
    EXPECT_EQ(c[6], HexTexto({0x1B, 0x66, 0x15, 0x44}, "00020003", 20));
    EXPECT_EQ(c[7], HexTexto({0x1B, 0x66, 0x15, 0x42}, "0101200702012007", 20));
    EXPECT_EQ(c[8], Hex({0x1B, 0x66, 0xCF, 0x00}, 20));
    EXPECT_EQ(c[9], HexTexto({0x1B, 0x66, 0xCF, 0x01}, "000100000200", 20));
    EXPECT_EQ(c[10], HexTexto({0x1B, 0x66, 0xCF, 0x02}, "0103200731032007", 20));
}

TEST_F(Conexao, CommandNotCompletedIsAFailure)
{
    ASSERT_EQ(Conecta({"--falha-erro", "@4"}), 0);
    EXPECT_EQ(ImprimeLeituraX(), 3);
    EXPECT_EQ(ImprimeLeituraX(), 0);
}

TEST_F(Conexao, CommandTooLongForTheLink)
{
    ASSERT_EQ(Conecta({}), 0);
    uint8_t comando[256];
    std::memset(comando, 0, sizeof comando);
    comando[0] = 0x1B;
    comando[1] = 0x66;
    EXPECT_EQ(LinkSend(comando, 256), LINK_COMANDO_LONGO);
    uint8_t resposta[TAMANHO_RESPOSTA];
    uint32_t n = 0;
    EXPECT_EQ(ExecutaComando(comando, 256, resposta, &n), LINK_COMANDO_LONGO);
    EXPECT_EQ(sim_.Comandos().size(), 3u);   // nothing reached the printer
    EXPECT_EQ(ImprimeLeituraX(), 0);
}

// Each fault at the exchange of the Leitura X command (the 4th): the
// command still completes, and the printer ran it once.
TEST_F(Conexao, RecoveryFromEachFault)
{
    const char *falhas[] = {"--falha-crc",          "--falha-bit",       "--falha-tipo6",
                            "--falha-silencio",     "--falha-intermediaria",
                            "--falha-executando"};
    for (const char *f : falhas) {
        Close();
        ASSERT_EQ(Conecta({f, "@4,@5"}), 0) << f;
        EXPECT_EQ(ImprimeLeituraX(), 0) << f;
        EXPECT_EQ(ImprimeFitaDetalhe("0", "", ""), 0) << f;
        EXPECT_EQ(ImprimeLeituraX(), 0) << f;
        std::vector<std::string> c = sim_.Comandos();
        EXPECT_EQ(c.size(), 6u) << f;
        EXPECT_NE(sim_.Registro().find("# falha"), std::string::npos) << f;
        sim_.Para();
    }
}

TEST_F(Conexao, FaultsAtARate)
{
    ASSERT_EQ(Conecta({"--falha-crc", "0.1", "--falha-bit", "0.05", "--falha-tipo6", "0.05",
                       "--falha-intermediaria", "0.2", "--falha-executando", "0.2", "--semente", "7"}),
              0);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(ImprimeLeituraX(), 0) << i;
    EXPECT_EQ(sim_.Comandos().size(), 33u);   // each command ran once
}

TEST_F(Conexao, RestartRequestThenCloseAndOpen)
{
    ASSERT_EQ(Conecta({"--falha-reinicio", "@5"}), 0);
    EXPECT_EQ(ImprimeLeituraX(), 0);
    EXPECT_EQ(ImprimeLeituraX(), 3);   // the printer asked for a restart
    EXPECT_EQ(Link.estado, LINK_REPROBE);
    EXPECT_EQ(ImprimeLeituraX(), 3);   // each command advances the establishment
    Close();
    ASSERT_EQ(Open("COM1", "7720-QX3"), 0);
    EXPECT_EQ(ImprimeLeituraX(), 0);
}

#endif
