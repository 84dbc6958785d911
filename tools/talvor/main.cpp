// talvor: the command-line face of the library.  One subcommand per
// export, plus the signature tools.
#include <cstdio>
#include <cstring>

#include "comandos.h"

#ifndef TALVOR_VERSION
#define TALVOR_VERSION "0"
#endif

const Subcomando kSubcomandos[] = {
    {"assinar", CmdAssinar, "acrescenta a linha de assinatura EAD a um arquivo",
     "uso: talvor assinar ARQUIVO\n"
     "Acrescenta ao fim do ARQUIVO a linha \"EAD\" com a assinatura digital\n"
     "de todo o seu conteúdo.\n"
     "exemplo: talvor assinar relatorio.txt\n"},
    {"verificar", CmdVerificar, "confere a linha de assinatura EAD de arquivos",
     "uso: talvor verificar ARQUIVO...\n"
     "Confere se cada ARQUIVO termina com uma linha EAD válida sobre todo o\n"
     "conteúdo anterior. Saída 0: todas válidas; 1: alguma inválida;\n"
     "2: algum arquivo não pôde ser lido.\n"
     "exemplo: talvor verificar \"Arquivos MF/MF123456_20070315_142501.BIN\"\n"},
    {"chave-publica", CmdChavePublica, "mostra a chave pública das assinaturas EAD (PEM)",
     "uso: talvor chave-publica\n"
     "Escreve a chave pública RSA que confere as linhas EAD, em formato PEM.\n"
     "exemplo: talvor chave-publica > ead-public.pem\n"},
    {"gera-espelhos", CmdGeraEspelhos, "gera o espelho da fita detalhe (MFD) em texto",
     "uso: talvor gera-espelhos ARQUIVO TIPO [INICIO FIM]\n"
     "Gera em \"Arquivos TXT Espelho/\" o espelho dos documentos da fita detalhe\n"
     "gravados em ARQUIVO (download \".MFD\" ou redução capturada). TIPO 0 seleciona\n"
     "por datas (INICIO e FIM em DDMMAAAA), 1 por COO (INICIO e FIM numéricos),\n"
     "2 todos os documentos (sem INICIO e FIM).\n"
     "exemplo: talvor gera-espelhos \"Arquivos Binários/TV0123_20070315_142501.MFD\" 0 01032007 31032007\n"},
    {"le-binario-mf", CmdLeBinarioMF, "copia a memória fiscal da impressora (Arquivos MF/)",
     "uso: talvor le-binario-mf [--porta COMn] [--modelo MODELO]\n"
     "Conecta-se à impressora e copia toda a memória fiscal (1 MiB) para\n"
     "\"Arquivos MF/MF<id>_<data>.BIN\", assinado. Padrões: --porta COM1,\n"
     "--modelo 7720-QX3. Num terminal mostra o progresso.\n"
     "exemplo: talvor le-binario-mf --porta COM1 --modelo 7720-QX3\n"},
    {"le-software-basico", CmdLeSoftwareBasico, "copia o software básico da impressora (Arquivos SB/)",
     "uso: talvor le-software-basico [--porta COMn] [--modelo MODELO]\n"
     "Conecta-se à impressora e copia o software básico (512 KiB) para\n"
     "\"Arquivos SB/SB<id>_<data>.BIN\", assinado.\n"
     "exemplo: talvor le-software-basico --porta COM1 --modelo 7720-QX3\n"},
    {"download-memorias", CmdDownloadMemorias, "copia a memória fiscal e/ou a fita detalhe (Arquivos Binários/)",
     "uso: talvor download-memorias [--porta COMn] [--modelo MODELO] TIPO PARAMETRO [INICIO FIM]\n"
     "TIPO 0 memória fiscal (.MF), 1 fita detalhe (.MFD), 2 ambas.\n"
     "PARAMETRO 0 por datas (DDMMAAAA), 1 por contador de 16 bits, 2 por contador\n"
     "de 32 bits (só a fita detalhe), 3 tudo (sem INICIO e FIM).\n"
     "exemplo: talvor download-memorias --porta COM1 --modelo 7720-QX3 1 0 01032007 31032007\n"},
    {"imprime-leitura-x", CmdImprimeLeituraX, "a impressora imprime a Leitura X",
     "uso: talvor imprime-leitura-x [--porta COMn] [--modelo MODELO]\n"
     "exemplo: talvor imprime-leitura-x --porta COM1 --modelo 7720-QX3\n"},
    {"imprime-leitura-memoria-fiscal", CmdImprimeLeituraMemoriaFiscal,
     "a impressora imprime a Leitura da Memória Fiscal",
     "uso: talvor imprime-leitura-memoria-fiscal [--porta COMn] [--modelo MODELO] TIPO INICIO FIM\n"
     "TIPO C por reduções (INICIO e FIM com 4 dígitos), D por datas (DDMMAAAA);\n"
     "c e d, os mesmos na forma simplificada.\n"
     "exemplo: talvor imprime-leitura-memoria-fiscal --porta COM1 --modelo 7720-QX3 D 01032007 31032007\n"},
    {"imprime-fita-detalhe", CmdImprimeFitaDetalhe, "a impressora imprime a fita detalhe",
     "uso: talvor imprime-fita-detalhe [--porta COMn] [--modelo MODELO] TIPO [INICIO FIM]\n"
     "TIPO 0 toda a fita (sem INICIO e FIM), 1 por COO (6 dígitos), 2 por datas\n"
     "(DDMMAAAA).\n"
     "exemplo: talvor imprime-fita-detalhe --porta COM1 --modelo 7720-QX3 1 000100 000200\n"},
    {"gera-espelho-lmf", CmdGeraEspelhoLMF, "gera o espelho da leitura da memória fiscal (LMF) em texto",
     "uso: talvor gera-espelho-lmf ARQUIVO TIPO FAIXA INICIO FIM\n"
     "Gera em \"Arquivos TXT Espelho/\" o espelho da Leitura da Memória Fiscal\n"
     "do arquivo da memória fiscal ARQUIVO. TIPO 0 completa, 1 simplificada;\n"
     "FAIXA 0 por datas (INICIO e FIM em DDMMAAAA), 1 por reduções (CRZ, até\n"
     "4 dígitos).\n"
     "exemplo: talvor gera-espelho-lmf \"Arquivos MF/MFTV0123_20070315_142501.BIN\" 0 1 1 30\n"},
    {"gera-registros-tipo-e", CmdGeraRegistrosTipoE, "gera o arquivo de registros tipo E (Ato COTEPE/ICMS 17/04)",
     "uso: talvor gera-registros-tipo-e ARQUIVO_MF ARQUIVO_MFD TIPO\n"
     "Gera em \"Arquivos TXT Formatados/\" os registros tipo E. TIPO 0 da memória\n"
     "fiscal (ARQUIVO_MF), 1 da fita detalhe (ARQUIVO_MFD), 2 das duas num só\n"
     "arquivo, 3 de uma redução capturada (ARQUIVO_MFD). Use \"\" para o arquivo\n"
     "que o tipo não usa.\n"
     "exemplo: talvor gera-registros-tipo-e \"Arquivos MF/MFTV0123_20070315_142501.BIN\" \"\" 0\n"},
    {"expandir", CmdExpandir, "expande uma captura comprimida de Redução Z",
     "uso: talvor expandir ENTRADA SAIDA\n"
     "Expande a captura comprimida ENTRADA (lida do scanner, começando pelos bytes\n"
     "DB 99 04 F5 ou DB 99 04 F6) no arquivo SAIDA, criado ou substituído.\n"
     "Resultado 0: expandido; 1: arquivo não pôde ser aberto; -1: formato inválido.\n"
     "exemplo: talvor expandir captura.bin reducao.bin\n"},
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

int ErroDeUso(const Subcomando &s, const char *mensagem)
{
    std::fprintf(stderr, "talvor %s: %s\n%s", s.nome, mensagem, s.ajuda);
    return 2;
}

int InformaResultado(const char *exportacao, int resultado, const char *significado)
{
    std::printf("%s: resultado %d (%s)\n", exportacao, resultado, significado);
    return resultado == 0 ? 0 : 1;
}

static void AjudaGeral(FILE *saida)
{
    std::fprintf(saida,
                 "uso: talvor SUBCOMANDO [ARGUMENTOS]\n"
                 "Ferramenta das impressoras fiscais Talvor (7720-QX3, 7720-RP5).\n\n"
                 "Subcomandos:\n");
    for (unsigned i = 0; i < kNumSubcomandos; ++i)
        std::fprintf(saida, "  %-32s %s\n", kSubcomandos[i].nome, kSubcomandos[i].resumo);
    std::fprintf(saida, "\nAjuda de um subcomando: talvor SUBCOMANDO --help\n");
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        AjudaGeral(stderr);
        return 2;
    }
    const char *nome = argv[1];
    if (std::strcmp(nome, "--help") == 0 || std::strcmp(nome, "-h") == 0 ||
        std::strcmp(nome, "ajuda") == 0) {
        AjudaGeral(stdout);
        return 0;
    }
    if (std::strcmp(nome, "--version") == 0 || std::strcmp(nome, "--versao") == 0) {
        std::printf("talvor %s\n", TALVOR_VERSION);
        return 0;
    }
    for (unsigned i = 0; i < kNumSubcomandos; ++i) {
        if (std::strcmp(nome, kSubcomandos[i].nome) == 0) {
            if (PedeAjuda(argc - 2, argv + 2)) {
                std::fputs(kSubcomandos[i].ajuda, stdout);
                return 0;
            }
            return kSubcomandos[i].executa(argc - 2, argv + 2);
        }
    }
    std::fprintf(stderr, "talvor: subcomando desconhecido: %s\n", nome);
    AjudaGeral(stderr);
    return 2;
}
