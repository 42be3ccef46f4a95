// Writes a small enhanced metafile (a framed rectangle and a line) to the
// path given, through libEMF; the tests use it as a real EMF.

#include <cstdio>

#include <libEMF/emf.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: emf_sample <file.emf>\n");
        return 2;
    }
    const RECT frame = {0, 0, 2000, 1000};
    HDC context = CreateEnhMetaFileA(0, argv[1], &frame, nullptr);
    if (!context)
        return 1;
    Rectangle(context, 10, 10, 190, 90);
    MoveToEx(context, 10, 10, nullptr);
    LineTo(context, 190, 90);
    HENHMETAFILE metafile = CloseEnhMetaFile(context);
    if (!metafile)
        return 1;
    DeleteEnhMetaFile(metafile);
    return 0;
}
