// talvor: the command-line face of the library.  One subcommand per
// export, plus the signature tools and the list of ports.  Each help text
// starts with its usage lines, ends with an example, and a blank line
// separates the usage from the rest: a usage error prints the message and
// that first block only.
#include <cstdio>
#include <cstring>

#include "comandos.h"

#ifndef TALVOR_VERSION
#define TALVOR_VERSION "0"
#endif

#define OPCOES_IMPRESSORA                                                                 \
    "  --porta COMn      porta da impressora: COM1 a COM7 seriais, COM0 ou COM8 o\n"      \
    "                    canal USB HID (padrão COM1). No Linux a porta n é o\n"           \
    "                    dispositivo da variável TALVOR_COM<n>, senão /dev/ttyS<n-1>.\n" \
    "  --modelo MODELO   7720-QX3 ou 7720-RP5 (padrão 7720-QX3)\n"

#define RESULTADOS_OPEN                                                          \
    "Resultados de Open (a conexão), saída 1 se não for 0:\n"                   \
    "  0 conectado; 1 a porta não pôde ser aberta; 2 o enlace com a impressora\n" \
    "  não se estabeleceu; 3 já conectado ou a autenticação falhou; 4 modelo não\n" \
    "  aceito; 5 sem memória.\n"

const Subcomando kSubcomandos[] = {
    {"assinar", CmdAssinar, "acrescenta a linha de assinatura EAD a um arquivo",
     "Uso: talvor assinar arquivo\n"
     "\n"
     "Acrescenta ao fim do arquivo a linha \"EAD\" com a assinatura digital de todo\n"
     "o seu conteúdo (o arquivo precisa existir).\n"
     "Saída: 0 assinado; 1 o arquivo não pôde ser lido ou gravado; 2 uso errado.\n"
     "Exemplo: talvor assinar relatorio.txt\n"},
    {"verificar", CmdVerificar, "confere a linha de assinatura EAD de arquivos",
     "Uso: talvor verificar arquivo...\n"
     "\n"
     "Confere se cada arquivo termina com uma linha EAD válida sobre todo o\n"
     "conteúdo anterior.\n"
     "Saída: 0 todas válidas; 1 alguma inválida ou ausente; 2 algum arquivo não\n"
     "pôde ser lido, ou uso errado.\n"
     "Exemplo: talvor verificar \"Arquivos MF/MF123456_20070315_142501.BIN\"\n"},
    {"chave-publica", CmdChavePublica, "mostra a chave pública das assinaturas EAD (PEM)",
     "Uso: talvor chave-publica\n"
     "\n"
     "Escreve a chave pública RSA que confere as linhas EAD, em formato PEM.\n"
     "Exemplo: talvor chave-publica > ead-public.pem\n"},
    {"portas", CmdPortas, "lista as portas seriais e os dispositivos HID visíveis",
     "Uso: talvor portas\n"
     "\n"
     "Lista as portas seriais que o sistema mostra e os dispositivos USB HID.\n"
     "No Linux: /dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM* existentes, as variáveis\n"
     "TALVOR_COM<n> definidas (a porta COMn usada por --porta) e /dev/hidraw*\n"
     "(impressora e scanner Talvor marcados; \"sem permissão\" se não pode abri-los).\n"
     "No Windows: COM1 a COM256.\n"
     "Exemplo: talvor portas\n"
     "(com TALVOR_COM1=/dev/ttyUSB0 no ambiente, lista COM1 em /dev/ttyUSB0)\n"},
    {"gera-espelhos", CmdGeraEspelhos, "gera o espelho da fita detalhe (MFD) em texto",
     "Uso: talvor gera-espelhos arquivo tipo [inicio fim]\n"
     "\n"
     "Gera em \"Arquivos TXT Espelho/\" o espelho (EMFD...TXT) dos documentos da\n"
     "fita detalhe gravados em arquivo (download \".MFD\" ou redução capturada\n"
     "\".RZ\"). Export GeraEspelhos.\n"
     "  tipo 0  por datas: inicio e fim em DDMMAAAA\n"
     "  tipo 1  por COO: inicio e fim numéricos\n"
     "  tipo 2  todos os documentos (sem inicio e fim)\n"
     "Resultados: 0 gerado; 1 arquivo ilegível ou espelho não criado; 3 nome sem\n"
     "extensão; 5 início depois do fim; 6 assinatura não confere ou fluxo\n"
     "danificado (espelho parcial, sem assinatura); 7 tipo inválido; 96 data com\n"
     "caractere inválido; 103 data inexistente.\n"
     "Exemplo: talvor gera-espelhos \"Arquivos Binários/TV0123_20070315_142501.MFD\" 0 01032007 31032007\n"},
    {"le-binario-mf", CmdLeBinarioMF, "copia a memória fiscal da impressora (Arquivos MF/)",
     "Uso: talvor le-binario-mf [--porta COMn] [--modelo MODELO]\n"
     "\n"
     "Conecta-se à impressora e copia toda a memória fiscal (1 MiB) para\n"
     "\"Arquivos MF/MF<id>_<data>_<hora>.BIN\", assinado. Num terminal mostra o\n"
     "progresso. Export LeBinarioMF.\n" OPCOES_IMPRESSORA
     "Resultados: 0 concluído; 3 falha na leitura ou na gravação.\n" RESULTADOS_OPEN
     "Exemplo: talvor le-binario-mf --porta COM1 --modelo 7720-QX3\n"},
    {"le-software-basico", CmdLeSoftwareBasico, "copia o software básico da impressora (Arquivos SB/)",
     "Uso: talvor le-software-basico [--porta COMn] [--modelo MODELO]\n"
     "\n"
     "Conecta-se à impressora e copia o software básico (512 KiB) para\n"
     "\"Arquivos SB/SB<id>_<data>_<hora>.BIN\", assinado. Export LeSoftwareBasico.\n"
     OPCOES_IMPRESSORA
     "Resultados: 0 concluído; 3 falha na identificação ou na leitura de um bloco;\n"
     "5 o arquivo não pôde ser criado (o diretório existe?).\n" RESULTADOS_OPEN
     "Exemplo: talvor le-software-basico --porta COM1 --modelo 7720-QX3\n"},
    {"download-memorias", CmdDownloadMemorias,
     "copia a memória fiscal e/ou a fita detalhe (Arquivos Binários/)",
     "Uso: talvor download-memorias [--porta COMn] [--modelo MODELO] tipo parametro [inicio fim]\n"
     "\n"
     "Copia memória da impressora para \"Arquivos Binários/\". Export DownloadMemorias.\n"
     "  tipo 0  memória fiscal (.MF); 1 fita detalhe (.MFD); 2 ambas\n"
     "  parametro 0  por datas (inicio e fim em DDMMAAAA)\n"
     "  parametro 1  por contador de 16 bits; 2 por contador de 32 bits (só a\n"
     "               fita detalhe); 3 tudo (sem inicio e fim)\n" OPCOES_IMPRESSORA
     "Resultados: 0 concluído; 3 falha no download; 5 início depois do fim, ou o\n"
     "arquivo da fita detalhe não pôde ser criado; 7 tipo ou parametro inválido;\n"
     "96 data com caractere inválido; 103 data inexistente.\n" RESULTADOS_OPEN
     "Exemplo: talvor download-memorias --porta COM1 --modelo 7720-QX3 1 0 01032007 31032007\n"},
    {"imprime-leitura-x", CmdImprimeLeituraX, "a impressora imprime a Leitura X",
     "Uso: talvor imprime-leitura-x [--porta COMn] [--modelo MODELO]\n"
     "\n"
     "A impressora imprime a Leitura X. Export ImprimeLeituraX.\n" OPCOES_IMPRESSORA
     "Resultados: 0 concluído; 3 a impressora não concluiu ou a comunicação falhou.\n"
     RESULTADOS_OPEN
     "Exemplo: talvor imprime-leitura-x --porta COM1 --modelo 7720-QX3\n"},
    {"imprime-leitura-memoria-fiscal", CmdImprimeLeituraMemoriaFiscal,
     "a impressora imprime a Leitura da Memória Fiscal",
     "Uso: talvor imprime-leitura-memoria-fiscal [--porta COMn] [--modelo MODELO] tipo inicio fim\n"
     "\n"
     "A impressora imprime a Leitura da Memória Fiscal. Export\n"
     "ImprimeLeituraMemoriaFiscal.\n"
     "  tipo C  completa por reduções (inicio e fim com 4 dígitos)\n"
     "  tipo D  completa por datas (inicio e fim em DDMMAAAA)\n"
     "  tipo c, d  os mesmos na forma simplificada\n" OPCOES_IMPRESSORA
     "Resultados: 0 concluído; 3 a impressora não concluiu ou a comunicação falhou.\n"
     RESULTADOS_OPEN
     "Exemplo: talvor imprime-leitura-memoria-fiscal --porta COM1 --modelo 7720-QX3 D 01032007 31032007\n"},
    {"imprime-fita-detalhe", CmdImprimeFitaDetalhe, "a impressora imprime a fita detalhe",
     "Uso: talvor imprime-fita-detalhe [--porta COMn] [--modelo MODELO] tipo [inicio fim]\n"
     "\n"
     "A impressora imprime a fita detalhe. Export ImprimeFitaDetalhe.\n"
     "  tipo 0  toda a fita (sem inicio e fim)\n"
     "  tipo 1  por COO (inicio e fim com 6 dígitos)\n"
     "  tipo 2  por datas (inicio e fim em DDMMAAAA)\n" OPCOES_IMPRESSORA
     "Resultados: 0 concluído; 3 a impressora não concluiu ou a comunicação falhou.\n"
     RESULTADOS_OPEN
     "Exemplo: talvor imprime-fita-detalhe --porta COM1 --modelo 7720-QX3 1 000100 000200\n"},
    {"gera-espelho-lmf", CmdGeraEspelhoLMF, "gera o espelho da leitura da memória fiscal (LMF) em texto",
     "Uso: talvor gera-espelho-lmf arquivo tipo faixa inicio fim\n"
     "\n"
     "Gera em \"Arquivos TXT Espelho/\" o espelho (EMF...TXT) da Leitura da Memória\n"
     "Fiscal do arquivo da memória fiscal. Export GeraEspelhoLMF.\n"
     "  tipo 0  completa; 1 simplificada\n"
     "  faixa 0  por datas (inicio e fim em DDMMAAAA)\n"
     "  faixa 1  por reduções (CRZ, inicio e fim com até 4 dígitos)\n"
     "Resultados: 0 gerado e assinado; 1 arquivo da memória fiscal inexistente ou\n"
     "curto; 2 o espelho não pôde ser criado; 3 tipo, faixa ou intervalo inválido,\n"
     "ou memória danificada (espelho parcial, sem assinatura).\n"
     "Exemplo: talvor gera-espelho-lmf \"Arquivos MF/MFTV0123_20070315_142501.BIN\" 0 1 1 30\n"},
    {"gera-registros-tipo-e", CmdGeraRegistrosTipoE,
     "gera o arquivo de registros tipo E (Ato COTEPE/ICMS 17/04)",
     "Uso: talvor gera-registros-tipo-e arquivo_mf arquivo_mfd tipo\n"
     "\n"
     "Gera em \"Arquivos TXT Formatados/\" os registros tipo E. Export\n"
     "GeraRegistrosTipoE. Use \"\" para o arquivo que o tipo não usa.\n"
     "  tipo 0  da memória fiscal (arquivo_mf), arquivo MF...\n"
     "  tipo 1  da fita detalhe (arquivo_mfd), arquivo MFD...\n"
     "  tipo 2  das duas num só arquivo TDM...\n"
     "  tipo 3  de uma redução capturada (arquivo_mfd), arquivo RZ...\n"
     "Resultados: 0 gerado e assinado; 1 a redução capturada não pôde ser aberta;\n"
     "3 entrada ilegível, assinatura não confere ou saída não criada.\n"
     "Exemplo: talvor gera-registros-tipo-e \"Arquivos MF/MFTV0123_20070315_142501.BIN\" \"\" 0\n"},
    {"leitura-rz", CmdLeituraRZ, "captura uma Redução Z lida com o scanner USB HID",
     "Uso: talvor leitura-rz\n"
     "\n"
     "Abre no terminal o diálogo de captura: I inicia a leitura, C cancela, S ou\n"
     "Esc sai. A redução lida é gravada em \"Arquivos Binários/<id>_<data>_<hora>.RZ\".\n"
     "Export LeituraRZ; resultado sempre 0 (o diálogo mostra o que aconteceu).\n"
     "Exemplo: talvor leitura-rz\n"},
    {"expandir", CmdExpandir, "expande uma captura comprimida de Redução Z",
     "Uso: talvor expandir entrada saida\n"
     "\n"
     "Expande a captura comprimida entrada (lida do scanner, começando pelos bytes\n"
     "DB 99 04 F5 ou DB 99 04 F6) no arquivo saida, criado ou substituído.\n"
     "Resultados: 0 expandido; 1 arquivo não pôde ser aberto; -1 formato inválido.\n"
     "Exemplo: talvor expandir captura.bin reducao.bin\n"},
};
const unsigned kNumSubcomandos = sizeof kSubcomandos / sizeof kSubcomandos[0];

bool PedeAjuda(int argc, char **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0 ||
            std::strcmp(argv[i], "--ajuda") == 0)
            return true;
    }
    return false;
}

const Subcomando &Comando(const char *nome)
{
    for (unsigned i = 0; i < kNumSubcomandos; ++i) {
        if (std::strcmp(kSubcomandos[i].nome, nome) == 0)
            return kSubcomandos[i];
    }
    return kSubcomandos[0];
}

int ErroDeUso(const Subcomando &s, const char *mensagem)
{
    // The usage block: the help up to its first blank line.
    const char *fim = std::strstr(s.ajuda, "\n\n");
    int largura = fim != nullptr ? static_cast<int>(fim - s.ajuda + 1)
                                 : static_cast<int>(std::strlen(s.ajuda));
    std::fprintf(stderr, "talvor %s: %s\n%.*sAjuda: talvor %s --help\n", s.nome, mensagem,
                 largura, s.ajuda, s.nome);
    return 2;
}

bool SoDigitos(const char *texto, size_t minimo, size_t maximo)
{
    size_t n = std::strlen(texto);
    if (n < minimo || n > maximo)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (texto[i] < '0' || texto[i] > '9')
            return false;
    }
    return true;
}

bool UmEntre(const char *texto, char primeiro, char ultimo)
{
    return texto[0] >= primeiro && texto[0] <= ultimo && texto[1] == '\0';
}

const char *Significa(const Significado *tabela, size_t n, int resultado)
{
    for (size_t i = 0; i < n; ++i) {
        if (tabela[i].resultado == resultado)
            return tabela[i].texto;
    }
    return "falha";
}

int InformaResultado(const char *exportacao, int resultado, const char *significado)
{
    std::printf("%s: resultado %d (%s)\n", exportacao, resultado, significado);
    return resultado == 0 ? 0 : 1;
}

static bool UsaImpressora(const Subcomando &s)
{
    return std::strstr(s.ajuda, "[--porta COMn]") != nullptr;
}

// An argument that looks like an option and that the subcommand does not
// take ("-x", "--algo"; a lone "-" is an ordinary argument).  Null when none.
static const char *OpcaoDesconhecida(const Subcomando &s, int argc, char **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (argv[i][0] != '-' || argv[i][1] == '\0')
            continue;
        if (UsaImpressora(s) &&
            (std::strcmp(argv[i], "--porta") == 0 || std::strcmp(argv[i], "--modelo") == 0)) {
            ++i;   // its value, whatever it looks like
            continue;
        }
        return argv[i];
    }
    return nullptr;
}

static void AjudaGeral(FILE *saida)
{
    std::fprintf(saida,
                 "Uso: talvor SUBCOMANDO [ARGUMENTOS]\n"
                 "Ferramenta das impressoras fiscais Talvor (7720-QX3, 7720-RP5).\n\n"
                 "Subcomandos:\n");
    for (unsigned i = 0; i < kNumSubcomandos; ++i)
        std::fprintf(saida, "  %-32s %s\n", kSubcomandos[i].nome, kSubcomandos[i].resumo);
    std::fprintf(saida,
                 "\nAjuda de um subcomando: talvor SUBCOMANDO --help\n"
                 "Versão: talvor --version\n"
                 "Exemplo: talvor gera-espelhos \"Arquivos Binários/TV0123_20070315_142501.MFD\" 2\n");
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "talvor: informe um subcomando\n");
        AjudaGeral(stderr);
        return 2;
    }
    const char *nome = argv[1];
    if (std::strcmp(nome, "--help") == 0 || std::strcmp(nome, "-h") == 0 ||
        std::strcmp(nome, "--ajuda") == 0 || std::strcmp(nome, "ajuda") == 0) {
        AjudaGeral(stdout);
        return 0;
    }
    if (std::strcmp(nome, "--version") == 0 || std::strcmp(nome, "--versao") == 0) {
        std::printf("talvor %s\n", TALVOR_VERSION);
        return 0;
    }
    for (unsigned i = 0; i < kNumSubcomandos; ++i) {
        const Subcomando &s = kSubcomandos[i];
        if (std::strcmp(nome, s.nome) != 0)
            continue;
        if (PedeAjuda(argc - 2, argv + 2)) {
            std::fputs(s.ajuda, stdout);
            return 0;
        }
        const char *opcao = OpcaoDesconhecida(s, argc - 2, argv + 2);
        if (opcao != nullptr) {
            char mensagem[160];
            std::snprintf(mensagem, sizeof mensagem, "opção desconhecida: %.100s", opcao);
            return ErroDeUso(s, mensagem);
        }
        return s.executa(argc - 2, argv + 2);
    }
    std::fprintf(stderr, "talvor: subcomando desconhecido: %s\n", nome);
    AjudaGeral(stderr);
    return 2;
}
