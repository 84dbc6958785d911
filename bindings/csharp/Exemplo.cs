// Exemplo.cs - an example host program in C#: opens the printer, prints a
// Leitura X, downloads the fiscal memory, closes, and converts the download
// offline (LMF mirror and type-E records).
//
//   mcs -target:library -out:Talvor.dll Talvor.cs
//   mcs -r:Talvor.dll -out:exemplo.exe Exemplo.cs
//   mono exemplo.exe PORTA MODELO INICIO FIM     (Talvor.dll.config beside)
//   e.g. mono exemplo.exe COM1 7720-QX3 01032025 31032025
//
// The output directories must exist in the current directory.  The exit
// status is 0 only when every step returned what it should.
using System;
using System.IO;
using System.Linq;
using Talvor;

public static class Exemplo
{
    static int falhas = 0;

    static void Informa(string passo, int r, int esperado = 0)
    {
        Console.WriteLine("{0,-40} {1}", passo, r);
        if (r != esperado)
            falhas++;
    }

    public static int Main(string[] args)
    {
        if (args.Length != 4)
        {
            Console.Error.WriteLine("uso: exemplo PORTA MODELO INICIO FIM");
            return 2;
        }
        string porta = args[0], modelo = args[1], inicio = args[2], fim = args[3];

        Informa("Open", Ecf.Open(porta, modelo));
        Informa("ImprimeLeituraX", Ecf.ImprimeLeituraX());
        Informa("LeBinarioMF", Ecf.LeBinarioMF());
        // Names carry the time stamp: the greatest is the newest.
        string mf = Directory.GetFiles("Arquivos MF", "*.BIN")
                        .OrderBy(n => n, StringComparer.Ordinal).LastOrDefault();
        Console.WriteLine("MF: {0}", mf);
        Informa("Close", Ecf.Close());

        Informa("GeraEspelhoLMF (completa, por data)", Ecf.GeraEspelhoLMF(mf, "0", "0", inicio, fim));
        Informa("GeraRegistrosTipoE 0", Ecf.GeraRegistrosTipoE(mf, null, "0"));
        // A bad argument, and null, the library's empty text.
        Informa("DownloadMemorias tipo 9 (esperado 7)", Ecf.DownloadMemorias("9", "0", inicio, fim), 7);
        Informa("GeraEspelhos sem arquivo (esperado 3)", Ecf.GeraEspelhos(null, "2", null, null), 3);
        Console.WriteLine(falhas == 0 ? "tudo certo" : "houve falhas");
        return falhas == 0 ? 0 : 1;
    }
}
