#include "platform/JpegImage.h"

#include "platform/Bitmap.h"

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace {

struct TJpegError {
    jpeg_error_mgr manager;
    jmp_buf jump;
    bool endReached = false;  // the data ran out and libjpeg went on with a fake end marker
};

void onJpegError(j_common_ptr info)
{
    longjmp(reinterpret_cast<TJpegError*>(info->err)->jump, 1);
}

void ignoreJpegMessage(j_common_ptr) {}

// libjpeg only warns when the pixel data is damaged or ends before the picture does,
// and fills the rest with grey or garbage; such a picture is refused as an error.
// The end of the data alone is no damage: the decoder reads ahead, so a file that
// lacks only its end marker warns too, and is kept. Pixel data found missing after
// that end is reported as the premature end it is.
void onJpegWarning(j_common_ptr info, int level)
{
    if (level >= 0)
        return;
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    switch (error->manager.msg_code) {
    case JWRN_JPEG_EOF:
        error->endReached = true;
        break;
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
        if (error->endReached)
            error->manager.msg_code = JWRN_JPEG_EOF;
        onJpegError(info);
        break;
    default:
        break;
    }
    error->manager.num_warnings++;
}

// Why a decode gave no surface.
enum class TJpegFailure { none, jpegError, tooLarge, noMemory };

// Decodes into a new RGB24 surface. On failure returns null with the reason,
// and the libjpeg message code and text or the picture's size. The size is checked from
// the header, before libjpeg or the surface take any pixel memory. Nothing with
// a destructor lives across the setjmp.
cairo_surface_t* decodeJpeg(const unsigned char* data, size_t size, TJpegFailure* failure, int* errorCode,
                            char (&errorText)[JMSG_LENGTH_MAX], int64_t* width, int64_t* height)
{
    jpeg_decompress_struct info;
    TJpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = onJpegError;
    error.manager.output_message = ignoreJpegMessage;
    error.manager.emit_message = onJpegWarning;
    cairo_surface_t* volatile surface = nullptr;
    if (setjmp(error.jump)) {
        *failure = TJpegFailure::jpegError;
        *errorCode = error.manager.msg_code;
        (*error.manager.format_message)(reinterpret_cast<j_common_ptr>(&info), errorText);
        jpeg_destroy_decompress(&info);
        if (surface)
            cairo_surface_destroy(surface);
        return nullptr;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    *width = info.output_width;
    *height = info.output_height;
    const int64_t limit = MaxGraphicPixels();
    if (*width > MaxImageSide || *height > MaxImageSide || *width * *height > limit) {
        *failure = TJpegFailure::tooLarge;
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(*width), int(*height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        *failure = TJpegFailure::noMemory;
        jpeg_destroy_decompress(&info);
        cairo_surface_destroy(surface);
        return nullptr;
    }
    jpeg_start_decompress(&info);
    const int pictureWidth = static_cast<int>(info.output_width);
    cairo_surface_flush(surface);
    JSAMPARRAY line = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * 3, 1);
    while (info.output_scanline < info.output_height) {
        int y = static_cast<int>(info.output_scanline);
        jpeg_read_scanlines(&info, line, 1);
        auto* dest = reinterpret_cast<uint32_t*>(SurfaceRow(surface, y));
        for (int x = 0; x < pictureWidth; ++x) {
            const JSAMPLE* p = line[0] + 3 * x;
            dest[x] = 0xFF000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    cairo_surface_mark_dirty(surface);
    return surface;
}

}  // namespace

TJPEGImage::~TJPEGImage()
{
    if (pixels)
        cairo_surface_destroy(pixels);
}

void TJPEGImage::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TJPEGImage*>(Source);
    if (!other) {
        TGraphic::Assign(Source);
        return;
    }
    if (other == this)
        return;
    cairo_surface_t* copy = nullptr;
    if (other->pixels) {
        copy = CreateImageSurface(CAIRO_FORMAT_RGB24, other->Width(), other->Height());
        cairo_t* cr = cairo_create(copy);
        cairo_set_source_surface(cr, other->pixels, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    if (pixels)
        cairo_surface_destroy(pixels);
    pixels = copy;
}

void TJPEGImage::LoadFromFile(const AnsiString& FileName)
{
    std::ifstream in(AnsiToUtf8(FileName), std::ios::binary);
    if (!in)
        throw EFOpenError(Sprintf("Cannot open file \"%s\". No such file or directory", FileName.c_str()));
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LoadFromBuffer(data.data(), data.size());
}

void TJPEGImage::LoadFromBuffer(const void* Data, size_t Size)
{
    if (!Size)
        throw EInvalidGraphic(Sprintf("JPEG error #%d: Empty input file", JERR_INPUT_EMPTY));
    TJpegFailure failure = TJpegFailure::none;
    int code = 0;
    char text[JMSG_LENGTH_MAX] = "";
    int64_t width = 0, height = 0;
    cairo_surface_t* decoded =
        decodeJpeg(static_cast<const unsigned char*>(Data), Size, &failure, &code, text, &width, &height);
    switch (failure) {
    case TJpegFailure::none:
        break;
    case TJpegFailure::jpegError:
        throw EInvalidGraphic(Sprintf("JPEG error #%d: %s", code, text));
    case TJpegFailure::tooLarge:
        CheckGraphicSize(width, height);
        // Only reached when another thread raised the limit meanwhile.
        throw EInvalidGraphic(Sprintf("Image of %d x %d pixels is too large", int(width), int(height)));
    case TJpegFailure::noMemory:
        throw EInvalidGraphic(Sprintf("Not enough memory for an image of %d x %d pixels", int(width), int(height)));
    }
    if (pixels)
        cairo_surface_destroy(pixels);
    pixels = decoded;
}

int TJPEGImage::Width() const { return pixels ? cairo_image_surface_get_width(pixels) : 0; }
int TJPEGImage::Height() const { return pixels ? cairo_image_surface_get_height(pixels) : 0; }

void TJPEGImage::Draw(TCanvas* Target, const TRect& Rect)
{
    HDC dc = Target->Handle();
    if (!dc || !pixels || Rect.Width() == 0 || Rect.Height() == 0)
        return;
    cairo_t* cr = dc->cr;
    cairo_save(cr);
    cairo_rectangle(cr, std::min(Rect.left, Rect.right), std::min(Rect.top, Rect.bottom), std::abs(Rect.Width()),
                    std::abs(Rect.Height()));
    cairo_clip(cr);
    cairo_translate(cr, Rect.left, Rect.top);
    cairo_scale(cr, double(Rect.Width()) / Width(), double(Rect.Height()) / Height());
    cairo_set_source_surface(cr, pixels, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_restore(cr);
}
