// talvor-sim: options, the pseudo-terminal and the main loop.
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "link/handshake.h"
#include "sim.h"

OpcoesSim Opcoes;
static FILE *ArquivoRegistro = nullptr;
static uint64_t EstadoAleatorio = 1;

static const char kAjuda[] =
    "uso: talvor-sim [OPÇÕES]\n"
    "Simula uma impressora fiscal Talvor num pseudo-terminal e escreve na\n"
    "primeira linha da saída o caminho que a biblioteca deve abrir (por exemplo\n"
    "TALVOR_COM1=<caminho>).\n"
    "Sem --mf, --sb e --fita serve a impressora de exemplo de talvor-amostra\n"
    "(semente 1, 400 dias de movimento), gerada na partida.\n"
    "  --dispositivo CAMINHO   usa este dispositivo serial em vez de um pseudo-terminal\n"
    "  --mf ARQUIVO            imagem da memória fiscal (1 MiB; sem ela, uma gerada)\n"
    "  --sb ARQUIVO            imagem do software básico (512 KiB; sem ela, uma gerada)\n"
    "  --fita DIRETORIO        arquivos da fita detalhe (ver README; sem ela, nenhum)\n"
    "  --id TEXTO              identificação da impressora (20 caracteres)\n"
    "  --registro ARQUIVO      registra cada comando recebido (hexadecimal)\n"
    "  --inicio reinicio|resposta  como a primeira sondagem é respondida\n"
    "  --ocupado N             N respostas de status ocupada antes de pronta\n"
    "  --sem-status N          às N primeiras solicitações de status, só respostas\n"
    "                          vazias (o host reinicia o enlace depois de 8 s)\n"
    "  --chaves K1,K2,K3       chaves do desafio (hexadecimal)\n"
    "  --semente N             semente das falhas por taxa\n"
    "  --sai-apos N            encerra depois de N comandos (dispositivo some)\n"
    "  --verboso               registra também na saída de erros\n"
    "Falhas (VALOR é uma taxa entre 0 e 1, ou @N[,@M...] para as trocas N, M):\n"
    "  --falha-crc VALOR            bytes de verificação corrompidos\n"
    "  --falha-bit VALOR            resposta com o outro bit de sequência\n"
    "  --falha-tipo6 VALOR          quadro de tipo 6 no lugar da resposta\n"
    "  --falha-silencio VALOR       nenhuma resposta\n"
    "  --falha-reinicio VALOR       pedido de reinício (tipo 5)\n"
    "  --falha-intermediaria VALOR  resposta intermediária (0x40) antes da final\n"
    "  --falha-executando VALOR     resposta 'em execução' (0x20) antes da final\n"
    "  --falha-erro VALOR           conclusão 'E' no lugar de 'C'\n"
    "  --falha-bloco-longo VALOR    bloco da fita detalhe com mais de 128 bytes\n";

void Registra(const char *formato, ...)
{
    char linha[8192];
    va_list a;
    va_start(a, formato);
    std::vsnprintf(linha, sizeof linha, formato, a);
    va_end(a);
    if (ArquivoRegistro != nullptr) {
        std::fputs(linha, ArquivoRegistro);
        std::fputc('\n', ArquivoRegistro);
        std::fflush(ArquivoRegistro);
    }
    if (Opcoes.verboso)
        std::fprintf(stderr, "talvor-sim: %s\n", linha);
}

double Aleatorio()
{
    // xorshift64*
    EstadoAleatorio ^= EstadoAleatorio >> 12;
    EstadoAleatorio ^= EstadoAleatorio << 25;
    EstadoAleatorio ^= EstadoAleatorio >> 27;
    uint64_t v = EstadoAleatorio * 0x2545F4914F6CDD1DULL;
    return static_cast<double>(v >> 11) / 9007199254740992.0;
}

static bool LeFalha(const char *valor, Falha *f)
{
    if (valor[0] == '@') {
        const char *p = valor;
        while (*p == '@') {
            char *fim = nullptr;
            unsigned long long n = std::strtoull(p + 1, &fim, 10);
            if (fim == p + 1 || n == 0)
                return false;
            f->trocas.push_back(n);
            p = fim;
            if (*p == ',')
                ++p;
        }
        return *p == '\0';
    }
    char *fim = nullptr;
    double t = std::strtod(valor, &fim);
    if (fim == valor || *fim != '\0' || t < 0 || t > 1)
        return false;
    f->taxa = t;
    return true;
}

static int ErroOpcao(const char *msg, const char *op)
{
    std::fprintf(stderr, "talvor-sim: %s: %s\n%s", msg, op, kAjuda);
    return 2;
}

static int AbreDispositivo(int *escravo)
{
    *escravo = -1;
    int fd;
    if (!Opcoes.dispositivo.empty()) {
        fd = open(Opcoes.dispositivo.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return -1;
        std::printf("%s\n", Opcoes.dispositivo.c_str());
    } else {
        fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0)
            return -1;
        const char *nome = ptsname(fd);
        if (nome == nullptr)
            return -1;
        // The simulator keeps the terminal side open too, so that the host
        // closing and reopening it never hangs the line up.
        *escravo = open(nome, O_RDWR | O_NOCTTY);
        if (*escravo < 0)
            return -1;
        struct termios t {};
        tcgetattr(*escravo, &t);
        cfmakeraw(&t);
        tcsetattr(*escravo, TCSANOW, &t);
        std::printf("%s\n", nome);
    }
    struct termios t {};
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        cfsetspeed(&t, B115200);
        tcsetattr(fd, TCSANOW, &t);
    }
    std::fflush(stdout);
    return fd;
}

static volatile sig_atomic_t Termina = 0;
static void AoSinal(int)
{
    Termina = 1;
}

int main(int argc, char **argv)
{
    Opcoes.chave1 = CHAVE_HANDSHAKE_1;
    Opcoes.chave2 = CHAVE_HANDSHAKE_2;
    Opcoes.chave3 = CHAVE_HANDSHAKE_3;
    struct {
        const char *nome;
        Falha *falha;
    } falhas[] = {{"--falha-crc", &Opcoes.crc},
                  {"--falha-bit", &Opcoes.outroBit},
                  {"--falha-tipo6", &Opcoes.tipo6},
                  {"--falha-silencio", &Opcoes.silencio},
                  {"--falha-reinicio", &Opcoes.reinicio},
                  {"--falha-intermediaria", &Opcoes.intermediaria},
                  {"--falha-executando", &Opcoes.executando},
                  {"--falha-erro", &Opcoes.erro},
                  {"--falha-bloco-longo", &Opcoes.blocoLongo}};
    for (int i = 1; i < argc; ++i) {
        std::string op = argv[i];
        if (op == "--help" || op == "-h" || op == "--ajuda") {
            std::fputs(kAjuda, stdout);
            return 0;
        }
        if (op == "--verboso") {
            Opcoes.verboso = true;
            continue;
        }
        if (i + 1 >= argc)
            return ErroOpcao("falta o valor da opção", argv[i]);
        const char *v = argv[++i];
        bool feito = true;
        if (op == "--dispositivo") Opcoes.dispositivo = v;
        else if (op == "--mf") Opcoes.imagemMF = v;
        else if (op == "--sb") Opcoes.imagemSB = v;
        else if (op == "--fita") Opcoes.diretorioFita = v;
        else if (op == "--registro") Opcoes.registro = v;
        else if (op == "--id") {
            if (std::strlen(v) != 20)
                return ErroOpcao("a identificação tem 20 caracteres", v);
            Opcoes.identificacao = v;
        } else if (op == "--inicio") {
            if (std::strcmp(v, "reinicio") == 0) Opcoes.inicioReinicio = true;
            else if (std::strcmp(v, "resposta") == 0) Opcoes.inicioReinicio = false;
            else return ErroOpcao("início inválido", v);
        } else if (op == "--ocupado") Opcoes.ocupado = static_cast<unsigned>(std::strtoul(v, nullptr, 10));
        else if (op == "--sem-status") Opcoes.semStatus = static_cast<unsigned>(std::strtoul(v, nullptr, 10));
        else if (op == "--semente") Opcoes.semente = std::strtoull(v, nullptr, 10);
        else if (op == "--sai-apos") Opcoes.saiApos = std::strtoull(v, nullptr, 10);
        else if (op == "--chaves") {
            unsigned long a, b, c;
            if (std::sscanf(v, "%lx,%lx,%lx", &a, &b, &c) != 3)
                return ErroOpcao("chaves inválidas", v);
            Opcoes.chave1 = static_cast<uint32_t>(a);
            Opcoes.chave2 = static_cast<uint32_t>(b);
            Opcoes.chave3 = static_cast<uint32_t>(c);
        } else {
            feito = false;
            for (auto &f : falhas) {
                if (op == f.nome) {
                    if (!LeFalha(v, f.falha))
                        return ErroOpcao("valor de falha inválido", v);
                    feito = true;
                }
            }
        }
        if (!feito)
            return ErroOpcao("opção desconhecida", argv[i - 1]);
    }
    EstadoAleatorio = Opcoes.semente != 0 ? Opcoes.semente : 1;
    if (!Opcoes.registro.empty()) {
        ArquivoRegistro = std::fopen(Opcoes.registro.c_str(), "w");
        if (ArquivoRegistro == nullptr)
            return ErroOpcao("registro não pode ser criado", Opcoes.registro.c_str());
    }
    if (!CarregaMemorias())
        return 1;
    int escravo = -1;
    int fd = AbreDispositivo(&escravo);
    if (fd < 0) {
        std::fprintf(stderr, "talvor-sim: dispositivo não pode ser aberto: %s\n", std::strerror(errno));
        return 1;
    }
    std::signal(SIGTERM, AoSinal);
    std::signal(SIGINT, AoSinal);
    std::signal(SIGPIPE, SIG_IGN);
    uint8_t buf[4096];
    while (!Termina) {
        struct pollfd p {fd, POLLIN, 0};
        int r = poll(&p, 1, 200);
        if (r <= 0)
            continue;
        if ((p.revents & POLLIN) == 0) {
            usleep(2000);   // nobody on the other side yet
            continue;
        }
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) {
            usleep(2000);
            continue;
        }
        if (!RecebeBytes(fd, buf, static_cast<size_t>(n)))
            break;
    }
    if (escravo >= 0)
        close(escravo);
    close(fd);
    if (ArquivoRegistro != nullptr)
        std::fclose(ArquivoRegistro);
    return 0;
}
