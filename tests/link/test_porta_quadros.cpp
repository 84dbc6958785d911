// FrameRead and the serial port over a pseudo-terminal whose other side the
// test plays: every status, the port's own results, exclusive opening, and
// the engine's bounded resending toward a silent printer.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

#include "common/simulador.h"
#include "common/util.h"
#include "link/link.h"
#include "link/motor.h"
#include "link/quadro.h"

namespace {

std::string QuadroImpressora(uint8_t controle, const std::string &dados)
{
    uint8_t q[TAMANHO_QUADRO];
    size_t n = MontaQuadro(q, controle, reinterpret_cast<const uint8_t *>(dados.data()), dados.size());
    return std::string(reinterpret_cast<char *>(q), n);
}

class PortaSerial : public ::testing::Test {
protected:
    void SetUp() override
    {
        LinkClose();
        ASSERT_TRUE(pty_.Abre());
        ASSERT_EQ(LinkSetBaudRate(115200), LINK_OK);
        ASSERT_EQ(LinkOpen(1), LINK_OK);
    }
    void TearDown() override
    {
        PararLeitor();
        LinkClose();
    }
    void Escreve(const std::string &s)
    {
        ASSERT_EQ(write(pty_.mestre, s.data(), s.size()), static_cast<ssize_t>(s.size()));
    }
    // Collects what the host writes, in a thread, while the engine runs;
    // a byte down the parar_ pipe ends it.
    void IniciaLeitor()
    {
        ASSERT_EQ(pipe(parar_), 0);
        leitor_ = std::thread([this] {
            char buf[4096];
            for (;;) {
                struct pollfd p[2] = {{pty_.mestre, POLLIN, 0}, {parar_[0], POLLIN, 0}};
                const int r = poll(p, 2, -1);
                if (r < 0 && errno == EINTR)
                    continue;
                if (r < 0 || p[1].revents != 0)
                    return;
                if (p[0].revents & POLLIN) {
                    ssize_t n = read(pty_.mestre, buf, sizeof buf);
                    if (n > 0)
                        enviados_.append(buf, static_cast<size_t>(n));
                }
            }
        });
    }
    // The port drains every frame before its write returns, so what the
    // host wrote is already readable here: the rest is taken without waiting.
    void PararLeitor()
    {
        if (!leitor_.joinable())
            return;
        ASSERT_EQ(write(parar_[1], "", 1), 1);
        leitor_.join();
        close(parar_[0]);
        close(parar_[1]);
        char buf[4096];
        struct pollfd p {pty_.mestre, POLLIN, 0};
        while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
            ssize_t n = read(pty_.mestre, buf, sizeof buf);
            if (n <= 0)
                break;
            enviados_.append(buf, static_cast<size_t>(n));
        }
    }
    TerminalTeste pty_;
    std::thread leitor_;
    int parar_[2] = {-1, -1};
    std::string enviados_;
};

size_t Ocorrencias(const std::string &texto, const std::string &padrao)
{
    size_t n = 0;
    for (size_t i = texto.find(padrao); i != std::string::npos; i = texto.find(padrao, i + 1))
        ++n;
    return n;
}

}  // namespace

TEST_F(PortaSerial, WellFormedFramesAndCheckMismatch)
{
    Escreve(Octetos({0x08, 0x00, 0x00, 0xB2, 0x6B}));
    EXPECT_EQ(FrameRead(), QUADRO_OK);
    EXPECT_EQ(ComprimentoRecebido(), 0u);
    EXPECT_EQ(TipoRecebido(), 0);
    Escreve(Octetos({0x08, 0x00, 0x00, 0xB2, 0x6C}));
    EXPECT_EQ(FrameRead(), QUADRO_CRC);
    // n = 1: one byte after the first five; the check covers bytes 0 to 3.
    Escreve(QuadroImpressora(0x09, "Z"));
    EXPECT_EQ(FrameRead(), QUADRO_OK);
    EXPECT_EQ(ComprimentoRecebido(), 1u);
    EXPECT_EQ(QuadroRecebido[3], 'Z');
    EXPECT_EQ(TipoRecebido(), 1);
    std::string ruim = QuadroImpressora(0x08, "abcdef");
    ruim[5] ^= 1;
    Escreve(ruim);
    EXPECT_EQ(FrameRead(), QUADRO_CRC);
}

TEST_F(PortaSerial, BadControlBytesBeforeTheLength)
{
    // The length 0x07FC would be refused too, but the control byte is
    // looked at first.
    for (int c : {0x0A, 0x0F, 0x00, 0x18, 0x0B, 0x48}) {
        Escreve(Octetos({c, 0x07, 0xFC, 0x00, 0x00}));
        EXPECT_EQ(FrameRead(), QUADRO_CONTROLE) << c;
    }
}

TEST_F(PortaSerial, LengthLimits)
{
    // 0x07FC is refused without reading further: the next frame is intact.
    Escreve(Octetos({0x08, 0x07, 0xFC, 0x00, 0x00}) + Octetos({0x08, 0x00, 0x00, 0xB2, 0x6B}));
    EXPECT_EQ(FrameRead(), QUADRO_COMPRIMENTO);
    EXPECT_EQ(FrameRead(), QUADRO_OK);
    // 2043 data bytes are read whole.
    std::string dados;
    for (int i = 0; i < 2043; ++i)
        dados += static_cast<char>(i * 7);
    Escreve(QuadroImpressora(0x08, dados));
    ASSERT_EQ(FrameRead(), QUADRO_OK);
    EXPECT_EQ(ComprimentoRecebido(), 2043u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(QuadroRecebido + 3), 2043), dados);
}

TEST_F(PortaSerial, ShortFramesTimeOut)
{
    Escreve(Octetos({0x08, 0x00, 0x00, 0xB2}));
    EXPECT_EQ(FrameRead(), QUADRO_TEMPO);
    Escreve(QuadroImpressora(0x08, "0123456789").substr(0, 12));
    EXPECT_EQ(FrameRead(), QUADRO_TEMPO);
    EXPECT_EQ(FrameRead(), QUADRO_TEMPO);   // nothing at all
}

TEST_F(PortaSerial, DeviceThatDisappears)
{
    pty_.Fecha();
    EXPECT_EQ(FrameRead(), QUADRO_LEITURA);
    // The engine gives up after its bounded attempts instead of hanging.
    const uint8_t lx[4] = {0x1B, 0x66, 0x14, 0x00};
    EXPECT_EQ(LinkSend(lx, 4), LINK_SEM_RESPOSTA);
}

TEST_F(PortaSerial, PortResults)
{
    EXPECT_EQ(LinkOpen(1), LINK_JA_ABERTA);
    EXPECT_EQ(LinkSetBaudRate(9600), LINK_JA_ABERTA);
    EXPECT_EQ(LinkBaudRate(), 115200u);
    // Opened exclusively: nobody else can lock the device while it is ours.
    int outro = open(pty_.caminho.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (outro >= 0) {
        EXPECT_NE(flock(outro, LOCK_EX | LOCK_NB), 0);
        close(outro);
    }
    EXPECT_EQ(LinkClose(), LINK_OK);
    EXPECT_EQ(LinkClose(), LINK_OK);   // number 0 now: the HID close
    EXPECT_EQ(LinkSetBaudRate(14400), LINK_BAUD_INVALIDO);
    EXPECT_EQ(LinkBaudRate(), 115200u);
    EXPECT_EQ(LinkOpen(101), LINK_PORTA_INVALIDA);
    DefineVariavel("TALVOR_COM2", "/nao/existe/tty");
    EXPECT_EQ(LinkOpen(2), LINK_NAO_ABRE);
    GravaArquivo("comum.txt", "x");
    DefineVariavel("TALVOR_COM2", "comum.txt");
    EXPECT_EQ(LinkOpen(2), LINK_NAO_ABRE);   // not a terminal
    // The device is looked up again at each open, and can be reopened.
    EXPECT_EQ(LinkOpen(1), LINK_OK);
    EXPECT_EQ(LinkClose(), LINK_OK);
    EXPECT_EQ(LinkOpen(1), LINK_OK);
}

TEST_F(PortaSerial, SilentPrinterGetsFiftyFrames)
{
    IniciaLeitor();
    const uint8_t lx[4] = {0x1B, 0x66, 0x14, 0x00};
    EXPECT_EQ(LinkSend(lx, 4), LINK_SEM_RESPOSTA);
    PararLeitor();
    std::string quadro = Octetos({0x00, 0x00, 0x04, 0x1B, 0x66, 0x14, 0x00, 0x15, 0x18});
    EXPECT_EQ(Ocorrencias(enviados_, quadro), 50u);
    EXPECT_EQ(enviados_.size(), 50 * quadro.size());
}

TEST_F(PortaSerial, OverlongAndLinkRestartingCommands)
{
    IniciaLeitor();
    uint8_t comando[256];
    std::memset(comando, 0x20, sizeof comando);
    comando[0] = 0x1B;
    comando[1] = 0x66;
    EXPECT_EQ(LinkSend(comando, 256), LINK_COMANDO_LONGO);
    const uint8_t fa[4] = {0x1B, 0x66, 0xFA, 0x00};
    EXPECT_EQ(LinkSend(fa, 4), LINK_CHAMAR_DE_NOVO);
    EXPECT_EQ(Link.estado, LINK_REPROBE);
    const uint8_t zero40[2] = {0x00, 0x40};
    EXPECT_EQ(LinkSend(zero40, 2), LINK_CHAMAR_DE_NOVO);
    PararLeitor();
    // Only two reset frames went out: no data frame at all.
    EXPECT_EQ(enviados_, Octetos({0x07, 0x00, 0x00, 0x43, 0x84, 0x07, 0x00, 0x00, 0x43, 0x84}));
}

#endif
