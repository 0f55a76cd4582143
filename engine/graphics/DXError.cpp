#include "aeError.h"
#include "aeLog.h"
#include "dxerr.h"

void aeReportDXError(const char* file, int line, const char* function, const char* call, long result)
{
    const HRESULT hr = static_cast<HRESULT>(result);
    aeLog::Error("Fehler: Datei: %s Zeile: %d Funktion: %s Beschreibung: Der Aufruf von %s verursachte den DirectX-Fehler %s: %s!",
                 file, line, function, call, DXGetErrorString9(hr), DXGetErrorDescription9(hr));
}
