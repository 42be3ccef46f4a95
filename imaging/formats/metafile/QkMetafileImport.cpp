#include "imaging/formats/metafile/QkMetafileImport.h"

#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/QkFormatRows.h"
#include "platform/gfx/Metafile.h"

bool LoadMetafile(TStream& stream, TMetafile& metafile)
{
    try {
        metafile.LoadFromStream(stream);
        return true;
    } catch (const EInvalidGraphic&) {
        return false;
    }
}

void SetMetafileParams(TIOParamsVals& params, int32_t width, int32_t height, bool enhanced)
{
    params.FileName.clear();
    params.FileType = enhanced ? ioEMF : ioWMF;
    params.BitsPerSample = 8;
    params.SamplesPerPixel = 3;
    params.Width = params.StoredWidth = width;
    params.Height = params.StoredHeight = height;
    params.SetDpiX(DefaultDpiX);
    params.SetDpiY(DefaultDpiY);
    params.FreeColorMap();
}

void ReadMetafileParams(TQkReadRequest& request, bool enhanced)
{
    TMetafile metafile;
    if (LoadMetafile(request.Stream, metafile) && metafile.Enhanced() == enhanced)
        SetMetafileParams(request.Params, metafile.Width(), metafile.Height(), metafile.Enhanced());
    else
        SetAborting(request.Progress);
}
