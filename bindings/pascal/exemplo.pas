{ exemplo.pas - an example host program in Delphi or Free Pascal: opens the
  printer, prints a Leitura X, downloads the fiscal memory, closes, and
  converts the download offline (LMF mirror and type-E records).

    exemplo PORTA MODELO INICIO FIM
    e.g. exemplo COM1 7720-QX3 01032025 31032025

  The output directories must exist in the current directory.  The exit
  status is 0 only when every step returned what it should.
  Free Pascal: fpc -Mdelphi -Fu<this folder> -Fl<folder of libtalvor.so> exemplo.pas }
program Exemplo;

{$IFDEF FPC}
  {$MODESWITCH RESULT}
  {$MODESWITCH EXCEPTIONS}
{$ENDIF}
{$IFNDEF FPC}{$APPTYPE CONSOLE}{$ENDIF}

uses
  SysUtils, Talvor;

var
  Falhas: Integer;

procedure Informa(const Passo: AnsiString; R, Esperado: LongInt);
begin
  WriteLn(Format('%-40s %d', [Passo, R]));
  if R <> Esperado then
    Inc(Falhas);
end;

{ The newest file of a directory with that extension ('' when none):
  names carry the time stamp, so the greatest is the newest. }
function MaisRecente(const Diretorio, Extensao: RawByteString): RawByteString;
var
  Busca: TSearchRec;
begin
  Result := '';
  if FindFirst(Diretorio + '*.' + Extensao, faAnyFile, Busca) = 0 then
  begin
    repeat
      if Diretorio + Busca.Name > Result then
        Result := Diretorio + Busca.Name;
    until FindNext(Busca) <> 0;
    FindClose(Busca);
  end;
end;

var
  Porta, Modelo, Inicio, Fim, MF: RawByteString;
begin
  if ParamCount <> 4 then
  begin
    WriteLn(ErrOutput, 'uso: exemplo PORTA MODELO INICIO FIM');
    Halt(2);
  end;
  Falhas := 0;
  Porta := TextoTalvor(UnicodeString(ParamStr(1)));
  Modelo := TextoTalvor(UnicodeString(ParamStr(2)));
  Inicio := TextoTalvor(UnicodeString(ParamStr(3)));
  Fim := TextoTalvor(UnicodeString(ParamStr(4)));

  Informa('Open', Open(PAnsiChar(Porta), PAnsiChar(Modelo)), 0);
  Informa('ImprimeLeituraX', ImprimeLeituraX, 0);
  Informa('LeBinarioMF', LeBinarioMF, 0);
  MF := MaisRecente('Arquivos MF/', 'BIN');
  WriteLn('MF: ', MF);
  Informa('Close', Talvor.Close, 0);

  Informa('GeraEspelhoLMF (completa, por data)',
    GeraEspelhoLMF(PAnsiChar(MF), '0', '0', PAnsiChar(Inicio), PAnsiChar(Fim)), 0);
  Informa('GeraRegistrosTipoE 0', GeraRegistrosTipoE(PAnsiChar(MF), nil, '0'), 0);
  { A bad argument, and nil, the library's empty text. }
  Informa('DownloadMemorias tipo 9 (esperado 7)',
    DownloadMemorias('9', '0', PAnsiChar(Inicio), PAnsiChar(Fim)), 7);
  Informa('GeraEspelhos sem arquivo (esperado 3)', GeraEspelhos(nil, '2', nil, nil), 3);
  if Falhas = 0 then
    WriteLn('tudo certo')
  else
    WriteLn('houve falhas');
  if Falhas <> 0 then
    Halt(1);
end.
