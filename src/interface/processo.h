// The library inside its host process: the one lock every export holds for
// its whole run, and what the library does when it is unloaded and in the
// child of a fork.
//
// The connection record, the link and the converters' working state are
// process-wide, so the exports run one at a time: a second caller waits for
// the first to return.  The library's own threads (the HID reader, the
// scanner reader and the capture dialog it feeds, the digest thread of the
// output writer) never take the lock, so they keep working while an export
// such as LeituraRZ holds it.  Internal routines do not take it either: the
// command-line tool and the tests call them directly, on one thread.
#ifndef TALVOR_INTERFACE_PROCESSO_H
#define TALVOR_INTERFACE_PROCESSO_H

// Held by an export from its first statement to its return.  Taken again
// on a thread that already holds it (a call from inside a call), it throws,
// and the export's handler returns its generic failure.
class TravaExportacao {
public:
    TravaExportacao();
    ~TravaExportacao();
    TravaExportacao(const TravaExportacao &) = delete;
    TravaExportacao &operator=(const TravaExportacao &) = delete;
};

#endif
