// Times the input/output component's loads and saves of a 6000 x 4000
// photo-like image (made once with ImageMagick's plasma and noise, kept beside
// the bench, and turned into a 24-bit BMP, a q90 JPEG and a level-6 PNG):
//   P6 read; P6 read and written again; BMP read; BMP to BMP; BMP to PPM;
//   JPEG and PNG reads; the PPM saved as JPEG q90 and as PNG level 5 without
//   filtering;
// against, in the same run: convert x null: and convert x y; vips avg x
// (libvips's own loaders), vips copy and vips jpegsave/pngsave. Each
// peer's time is the median of its runs less the same tool's run over a
// 1 x 1 image, so the tool's start cancels out. Goals: ratio <= 1.0 against
// convert; against vips <= 1.5, and <= 1.1 for JPEG, <= 1.3 for PNG loads.
// PaintBrush rows, against convert only: a 24-bit PCX read (convert x.pcx
// null:) and the BMP photo read and written as a 24-bit PCX.
// GIF and Targa rows: the photo reduced once to 256 colours (convert -colors
// 256 +dither) read against convert and vips avg (libnsgif); the PPM
// written as an 8-bit GIF, quantizing included, against convert -colors 256
// +dither and vips gifsave; the photo as a Targa read against convert and
// vips avg, and the PPM written as a Targa against convert.
// JPEG 2000 rows: the photo made lossless by opj_compress read against
// convert and vips avg; the PPM saved lossless against convert -define
// jp2:quality=0 and vips jp2ksave --lossless. Goals: <= 1.0 against
// convert, <= 1.2 against vips.
// HD Photo rows: the photo made lossless by JxrEncApp read against JxrDecApp
// (to a BMP: ImageMagick and vips go through the same tools or lack the
// format), and the PPM saved lossless against JxrEncApp. The reader decodes
// in a child process; these rows keep that cost in sight. Goal: <= 1.1.
// TIFF rows: the photo uncompressed and LZW with the horizontal predictor
// (tiffcp -c none, -c lzw:2), and a 50 % bilevel threshold of it as G4, each
// read, and written back in its own compression; against tiffcp (reads:
// tiffcp -c none x; writes: tiffcp -c lzw:2|g4 from the uncompressed file),
// convert and vips (avg; copy to LZW with the predictor). Goals: <= 2.0
// against tiffcp, <= 1.0 against convert, <= 1.5 against vips.
// `imaging_io tiff` runs the TIFF rows alone.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "BenchTools.h"
#include "imaging/core/QkStartup.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/BrelvixIOStartup.h"

namespace {

constexpr int32_t OwnRuns = 5;
constexpr int32_t ToolRuns = 5;

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

bool MakeImages(const std::filesystem::path& folder)
{
    const std::string photo = (folder / "photo.ppm").string();
    if (std::filesystem::exists(photo))
        return Shell("convert -size 1x1 xc:gray " + (folder / "tiny.ppm").string());
    std::printf("making the 6000x4000 test image once...\n");
    std::fflush(stdout);
    return Shell("convert -limit memory 4GiB -limit map 4GiB -seed 42 -size 6000x4000 plasma:fractal "
                 "-attenuate 0.3 +noise Gaussian -depth 8 " +
                 photo) &&
        Shell("convert -size 1x1 xc:gray " + (folder / "tiny.ppm").string());
}

bool MakeBmpImages(const std::filesystem::path& folder)
{
    const std::string photo = (folder / "photo.bmp").string();
    if (!std::filesystem::exists(photo) &&
        !Shell("convert -limit memory 4GiB -limit map 4GiB " + (folder / "photo.ppm").string() + " BMP3:" + photo))
        return false;
    return Shell("convert -size 1x1 xc:gray BMP3:" + (folder / "tiny.bmp").string());
}

// `read <file>` loads a file through the component; `convert <in> <out>`
// loads one and saves it by the extension of the other. Exit status 0 when
// the component did not abort.
int RunCommand(int argc, char** argv)
{
    TBrelvixIO io(nullptr);
    if (argc == 3 && std::strcmp(argv[1], "read") == 0) {
        io.LoadFromFile(argv[2]);
    } else if (argc == 4 && std::strcmp(argv[1], "convert") == 0) {
        io.LoadFromFile(argv[2]);
        if (!io.Aborting())
            io.SaveToFile(argv[3]);
    } else {
        std::fprintf(stderr, "usage: imaging_io [tiff | read <file> | convert <in> <out>]\n");
        return 2;
    }
    return io.Aborting() ? 1 : 0;
}

double BestOf(const std::function<void()>& run)
{
    double best = 1e300;
    for (int32_t i = 0; i < OwnRuns; ++i) {
        const TBenchClock::time_point start = TBenchClock::now();
        run();
        best = std::min(best, Milliseconds(start));
    }
    return best;
}

void PrintRow(const char* operation, double ours, const char* peer, double theirs)
{
    std::printf("%-10s %10.1f   %-7s %10.1f   %6.2f\n", operation, ours, peer, theirs, theirs > 0 ? ours / theirs : 0);
}

// A row's peer commands: convert <in> <MagickOut> and
// vips <VipsOperation> <in> [<VipsOut>], each also over the tiny image.
struct TPeerCommands {
    std::string In;
    std::string TinyIn;
    std::string MagickOut;
    std::string VipsOperation;
    std::string VipsOut;
};

void CompareRow(const char* operation, double ours, const TPeerCommands& peers)
{
    const std::string magick = "convert -limit memory 4GiB -limit map 4GiB ";
    PrintRow(operation, ours, "convert",
             MedianNetTime(magick + peers.In + " " + peers.MagickOut, magick + peers.TinyIn + " " + peers.MagickOut,
                           ToolRuns));
    const auto vips = [&peers](const std::string& in) {
        return "vips " + peers.VipsOperation + " " + in + (peers.VipsOut.empty() ? "" : " " + peers.VipsOut);
    };
    PrintRow("", ours, "vips", MedianNetTime(vips(peers.In), vips(peers.TinyIn), ToolRuns));
}

// JPEG (q90 by cjpeg) and PNG (level 6) copies of the photo and of the tiny
// image, made once; loads and saves against the same peers.
void CompareJpegAndPng(const std::filesystem::path& folder, TBrelvixIO& io)
{
    const std::string photo = (folder / "photo.ppm").string();
    const std::string tiny = (folder / "tiny.ppm").string();
    for (const char* name : {"photo", "tiny"}) {
        const std::string ppm = (folder / (std::string(name) + ".ppm")).string();
        const std::string jpeg = (folder / (std::string(name) + ".jpg")).string();
        const std::string png = (folder / (std::string(name) + ".png")).string();
        if (!std::filesystem::exists(jpeg))
            Shell("cjpeg -quality 90 -outfile " + jpeg + " " + ppm);
        if (!std::filesystem::exists(png))
            Shell("convert " + ppm + " -define png:compression-level=6 " + png);
    }
    for (const char* kind : {"jpg", "png"}) {
        const std::string file = (folder / (std::string("photo.") + kind)).string();
        const std::string small = (folder / (std::string("tiny.") + kind)).string();
        const double read = BestOf([&] { io.LoadFromFile(file); });
        CompareRow((std::string(kind) + " read").c_str(), read, {file, small, "null:", "avg", ""});
    }
    const std::string jpegOut = (folder / "out.jpg").string();
    io.Params().JpegQuality = 90;
    const double jpegSave = BestOf([&] {
        io.LoadFromFile(photo);
        io.SaveToFile(jpegOut);
    });
    CompareRow("PPM->JPEG", jpegSave, {photo, tiny, "-quality 90 " + jpegOut, "jpegsave", jpegOut + " --Q 90"});
    const std::string pngOut = (folder / "out.png").string();
    io.Params().PngCompression = 5;
    io.Params().PngFilter = 0;
    const double pngSave = BestOf([&] {
        io.LoadFromFile(photo);
        io.SaveToFile(pngOut);
    });
    CompareRow("PPM->PNG", pngSave,
               {photo, tiny, "-define png:compression-level=5 -define png:compression-filter=0 " + pngOut, "pngsave",
                pngOut + " --compression 5 --filter none"});
    if (io.Aborting())
        std::fprintf(stderr, "the component could not save %s\n", pngOut.c_str());
    std::filesystem::remove(jpegOut);
    std::filesystem::remove(pngOut);
}

// The GIF and Targa copies of the photo, made once, and their 1 x 1 peers.
bool MakePalettedImages(const std::filesystem::path& folder)
{
    const std::string photo = (folder / "photo.ppm").string();
    const std::string gif = (folder / "photo.gif").string();
    const std::string tga = (folder / "photo.tga").string();
    const bool made = (std::filesystem::exists(gif) ||
                       Shell("convert -limit memory 4GiB -limit map 4GiB " + photo + " -colors 256 +dither " + gif)) &&
        (std::filesystem::exists(tga) || Shell("convert " + photo + " " + tga));
    return made && Shell("convert -size 1x1 xc:gray " + (folder / "tiny.gif").string()) &&
        Shell("convert -size 1x1 xc:gray " + (folder / "tiny.tga").string());
}

void CompareGifAndTarga(const std::filesystem::path& folder, TBrelvixIO& io)
{
    const auto path = [&folder](const char* name) { return (folder / name).string(); };
    const std::string photo = path("photo.ppm");
    const std::string tiny = path("tiny.ppm");
    const double gifRead = BestOf([&] { io.LoadFromFile(path("photo.gif")); });
    const double gifSave = BestOf([&] {
        io.LoadFromFile(photo);
        io.Params().BitsPerSample = 8;
        io.SaveToFile(path("out.gif"));
    });
    const double tgaRead = BestOf([&] { io.LoadFromFile(path("photo.tga")); });
    const double tgaSave = BestOf([&] {
        io.LoadFromFile(photo);
        io.SaveToFile(path("out.tga"));
    });
    CompareRow("GIF read", gifRead, {path("photo.gif"), path("tiny.gif"), "null:", "avg", ""});
    CompareRow("PPM->GIF", gifSave,
               {photo, tiny, "-colors 256 +dither " + path("out.gif"), "gifsave", path("out.gif")});
    CompareRow("TGA read", tgaRead, {path("photo.tga"), path("tiny.tga"), "null:", "avg", ""});
    // vips writes no Targa.
    const std::string magick = "convert -limit memory 4GiB -limit map 4GiB ";
    PrintRow("PPM->TGA", tgaSave, "convert",
             MedianNetTime(magick + photo + " " + path("out.tga"), magick + tiny + " " + path("out.tga"), ToolRuns));
    std::filesystem::remove(path("out.gif"));
    std::filesystem::remove(path("out.tga"));
}

// The lossless JPEG 2000 copy of the photo and its 1 x 1 peer, made once.
bool MakeJpeg2000Images(const std::filesystem::path& folder)
{
    const std::string jp2 = (folder / "photo.jp2").string();
    const std::string tinyPpm = (folder / "tiny.ppm").string();
    return (std::filesystem::exists(jp2) ||
            Shell("opj_compress -i " + (folder / "photo.ppm").string() + " -o " + jp2)) &&
        Shell("opj_compress -n 1 -i " + tinyPpm + " -o " + (folder / "tiny.jp2").string());
}

void CompareJpeg2000(const std::filesystem::path& folder, TBrelvixIO& io)
{
    const auto path = [&folder](const char* name) { return (folder / name).string(); };
    const std::string photo = path("photo.ppm");
    const double read = BestOf([&] { io.LoadFromFile(path("photo.jp2")); });
    io.Params().J2000Rate = 1;
    const double save = BestOf([&] {
        io.LoadFromFile(photo);
        io.SaveToFile(path("out.jp2"));
    });
    if (io.Aborting())
        std::fprintf(stderr, "the component could not save %s\n", path("out.jp2").c_str());
    CompareRow("JP2 read", read, {path("photo.jp2"), path("tiny.jp2"), "null:", "avg", ""});
    CompareRow("PPM->JP2", save,
               {photo, path("tiny.ppm"), "-define jp2:quality=0 " + path("out.jp2"), "jp2ksave",
                path("out.jp2") + " --lossless"});
    std::filesystem::remove(path("out.jp2"));
}

// The lossless HD Photo copy of the photo and its 1 x 1 peer, made once.
bool MakeHdPhotoImages(const std::filesystem::path& folder)
{
    const auto path = [&folder](const char* name) { return (folder / name).string(); };
    return (std::filesystem::exists(path("photo.wdp")) ||
            Shell("JxrEncApp -i " + path("photo.ppm") + " -o " + path("photo.wdp"))) &&
        Shell("JxrEncApp -i " + path("tiny.ppm") + " -o " + path("tiny.wdp"));
}

void CompareHdPhoto(const std::filesystem::path& folder, TBrelvixIO& io)
{
    const auto path = [&folder](const char* name) { return (folder / name).string(); };
    const double read = BestOf([&] { io.LoadFromFile(path("photo.wdp")); });
    io.Params().HdpLossless = true;
    const double save = BestOf([&] {
        io.LoadFromFile(path("photo.ppm"));
        io.SaveToFile(path("out.hdp"));
    });
    if (io.Aborting())
        std::fprintf(stderr, "the component could not save %s\n", path("out.hdp").c_str());
    const auto decode = [&](const char* in) { return "JxrDecApp -i " + path(in) + " -o " + path("out.bmp"); };
    PrintRow("HDP read", read, "JxrDec", MedianNetTime(decode("photo.wdp"), decode("tiny.wdp"), ToolRuns));
    const auto encode = [&](const char* in) { return "JxrEncApp -i " + path(in) + " -o " + path("out.jxr"); };
    PrintRow("PPM->HDP", save, "JxrEnc", MedianNetTime(encode("photo.ppm"), encode("tiny.ppm"), ToolRuns));
    for (const char* out : {"out.hdp", "out.bmp", "out.jxr"})
        std::filesystem::remove(path(out));
}

// The TIFF copies of the photo and of the tiny image, made once: `none`,
// `lzw` and the bilevel `g4`, with the bilevel uncompressed source `bits`.
bool MakeTiffImages(const std::filesystem::path& folder)
{
    for (const char* name : {"photo", "tiny"}) {
        const auto path = [&folder, name](const char* kind) {
            return (folder / (std::string(name) + "-" + kind + ".tif")).string();
        };
        if (std::filesystem::exists(path("g4")))
            continue;
        const std::string ppm = (folder / (std::string(name) + ".ppm")).string();
        if (!Shell("convert -limit memory 4GiB -limit map 4GiB " + ppm + " -compress none " + path("magick")) ||
            !Shell("tiffcp -c none " + path("magick") + " " + path("none")) ||
            !Shell("tiffcp -c lzw:2 " + path("none") + " " + path("lzw")) ||
            !Shell("convert -limit memory 4GiB -limit map 4GiB " + ppm +
                   " -colorspace gray -threshold 50% -type bilevel -depth 1 -compress none " + path("bits")) ||
            !Shell("tiffcp -c g4 " + path("bits") + " " + path("g4")))
            return false;
    }
    return true;
}

void CompareTiff(const std::filesystem::path& folder, TBrelvixIO& io)
{
    const auto path = [&folder](const std::string& name) { return (folder / name).string(); };
    const std::string magick = "convert -limit memory 4GiB -limit map 4GiB ";
    const std::string out = path("out.tif");
    for (const std::string kind : {"none", "lzw", "g4"}) {
        const std::string in = path("photo-" + kind + ".tif");
        const std::string tiny = path("tiny-" + kind + ".tif");
        const double read = BestOf([&] { io.LoadFromFile(in); });
        const double save = BestOf([&] {
            io.LoadFromFile(in);
            io.SaveToFile(out);
        });
        if (io.Aborting())
            std::fprintf(stderr, "the component could not read or write %s\n", in.c_str());
        const std::string readRow = "TIF " + kind;
        PrintRow(readRow.c_str(), read, "tiffcp",
                 MedianNetTime("tiffcp -c none " + in + " " + out, "tiffcp -c none " + tiny + " " + out, ToolRuns));
        CompareRow("", read, {in, tiny, "null:", "avg", ""});
        // Writes start from the uncompressed file of the same pixels.
        const std::string source = path(std::string("photo-") + (kind == "g4" ? "bits" : "none") + ".tif");
        const std::string tinySource = path(std::string("tiny-") + (kind == "g4" ? "bits" : "none") + ".tif");
        const std::string option = kind == "none" ? "none" : kind == "lzw" ? "lzw:2" : "g4";
        const std::string writeRow = "->TIF " + kind;
        PrintRow(writeRow.c_str(), save, "tiffcp",
                 MedianNetTime("tiffcp -c " + option + " " + source + " " + out,
                               "tiffcp -c " + option + " " + tinySource + " " + out, ToolRuns));
        const std::string magickOption = kind == "none" ? "none" : kind == "lzw" ? "lzw" : "group4";
        const std::string vipsOut = out +
            (kind == "lzw"      ? "[compression=lzw,predictor=horizontal]"
                 : kind == "g4" ? "[compression=ccittfax4,bitdepth=1]"
                                : "");
        CompareRow("", save, {in, tiny, "-compress " + magickOption + " " + out, "copy", vipsOut});
    }
    std::filesystem::remove(out);
}

int RunTiffRows(const std::filesystem::path& folder)
{
    if (!MakeImages(folder) || !MakeTiffImages(folder)) {
        std::fprintf(stderr, "cannot make the TIFF test images (convert and tiffcp are needed)\n");
        return 1;
    }
    TBrelvixIO io(nullptr);
    std::printf("net milliseconds; ratio = ours / peer\n");
    CompareTiff(folder, io);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    InstallBrelvixIOStartup();
    LibraryStaticInit();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "imaging_io_bench";
    std::filesystem::create_directories(folder);
    if (argc == 2 && std::strcmp(argv[1], "tiff") == 0) {
        const int status = RunTiffRows(folder);
        LibraryStaticFinal();
        return status;
    }
    if (argc > 1) {
        int status = 1;
        try {
            status = RunCommand(argc, argv);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
        }
        LibraryStaticFinal();
        return status;
    }
    if (!MakeImages(folder) || !MakeBmpImages(folder)) {
        std::fprintf(stderr, "cannot make the test image (convert is needed)\n");
        return 1;
    }
    const std::string photo = (folder / "photo.ppm").string();
    const std::string tiny = (folder / "tiny.ppm").string();
    const std::string out = (folder / "out.ppm").string();
    TBrelvixIO io(nullptr);
    const double read = BestOf([&] { io.LoadFromFile(photo); });
    const double copy = BestOf([&] {
        io.LoadFromFile(photo);
        io.SaveToFile(out);
    });
    if (io.Aborting()) {
        std::fprintf(stderr, "the component could not load and save %s\n", photo.c_str());
        return 1;
    }
    const std::string magick = "convert -limit memory 4GiB -limit map 4GiB ";
    std::printf("net milliseconds; ratio = ours / peer\n");
    PrintRow("P6 read", read, "convert", MedianNetTime(magick + photo + " null:", magick + tiny + " null:", ToolRuns));
    PrintRow("", read, "vips", MedianNetTime("vips avg " + photo, "vips avg " + tiny, ToolRuns));
    PrintRow("PPM->PPM", copy, "convert",
             MedianNetTime(magick + photo + " " + out, magick + tiny + " " + out, ToolRuns));
    PrintRow("", copy, "vips",
             MedianNetTime("vips copy " + photo + " " + out, "vips copy " + tiny + " " + out, ToolRuns));
    const std::string bmp = (folder / "photo.bmp").string();
    const std::string tinyBmp = (folder / "tiny.bmp").string();
    const std::string outBmp = (folder / "out.bmp").string();
    const double bmpRead = BestOf([&] { io.LoadFromFile(bmp); });
    const double bmpCopy = BestOf([&] {
        io.LoadFromFile(bmp);
        io.SaveToFile(outBmp);
    });
    const double bmpToPpm = BestOf([&] {
        io.LoadFromFile(bmp);
        io.SaveToFile(out);
    });
    CompareRow("BMP read", bmpRead, {bmp, tinyBmp, "null:", "avg", ""});
    CompareRow("BMP->BMP", bmpCopy, {bmp, tinyBmp, "BMP3:" + outBmp, "copy", outBmp});
    CompareRow("BMP->PPM", bmpToPpm, {bmp, tinyBmp, out, "copy", out});
    std::filesystem::remove(out);
    std::filesystem::remove(outBmp);
    CompareJpegAndPng(folder, io);
    const std::string pcx = (folder / "photo.pcx").string();
    const std::string tinyPcx = (folder / "tiny.pcx").string();
    const std::string outPcx = (folder / "out.pcx").string();
    if (!Shell(magick + photo + " " + pcx) || !Shell(magick + tiny + " " + tinyPcx)) {
        std::fprintf(stderr, "convert could not write %s\n", pcx.c_str());
        return 1;
    }
    const double pcxRead = BestOf([&] { io.LoadFromFile(pcx); });
    const double bmpToPcx = BestOf([&] {
        io.LoadFromFile(bmp);
        io.SaveToFile(outPcx);
    });
    PrintRow("PCX read", pcxRead, "convert",
             MedianNetTime(magick + pcx + " null:", magick + tinyPcx + " null:", ToolRuns));
    PrintRow("BMP->PCX", bmpToPcx, "convert",
             MedianNetTime(magick + bmp + " " + outPcx, magick + tinyBmp + " " + outPcx, ToolRuns));
    std::filesystem::remove(outPcx);
    if (!MakePalettedImages(folder)) {
        std::fprintf(stderr, "cannot make the GIF and Targa test images\n");
        return 1;
    }
    CompareGifAndTarga(folder, io);
    if (!MakeJpeg2000Images(folder)) {
        std::fprintf(stderr, "cannot make the JPEG 2000 test images (opj_compress is needed)\n");
        return 1;
    }
    CompareJpeg2000(folder, io);
    if (!MakeHdPhotoImages(folder)) {
        std::fprintf(stderr, "cannot make the HD Photo test images (JxrEncApp is needed)\n");
        return 1;
    }
    CompareHdPhoto(folder, io);
    if (!MakeTiffImages(folder)) {
        std::fprintf(stderr, "cannot make the TIFF test images (tiffcp is needed)\n");
        return 1;
    }
    CompareTiff(folder, io);
    LibraryStaticFinal();
    return 0;
}
