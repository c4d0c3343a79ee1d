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
};

void onJpegError(j_common_ptr info)
{
    longjmp(reinterpret_cast<TJpegError*>(info->err)->jump, 1);
}

void ignoreJpegMessage(j_common_ptr) {}

// Decodes into a new RGB24 surface; on failure returns null and the libjpeg
// message code. Nothing with a destructor lives across the setjmp.
cairo_surface_t* decodeJpeg(const unsigned char* data, size_t size, int* errorCode)
{
    jpeg_decompress_struct info;
    TJpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = onJpegError;
    error.manager.output_message = ignoreJpegMessage;
    cairo_surface_t* volatile surface = nullptr;
    if (setjmp(error.jump)) {
        *errorCode = error.manager.msg_code;
        jpeg_destroy_decompress(&info);
        if (surface)
            cairo_surface_destroy(surface);
        return nullptr;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width), height = static_cast<int>(info.output_height);
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(surface);
    unsigned char* out = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    JSAMPARRAY line = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * 3, 1);
    while (info.output_scanline < info.output_height) {
        int y = static_cast<int>(info.output_scanline);
        jpeg_read_scanlines(&info, line, 1);
        auto* dest = reinterpret_cast<uint32_t*>(out + y * stride);
        for (int x = 0; x < width; ++x) {
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
        copy = cairo_image_surface_create(CAIRO_FORMAT_RGB24, other->Width(), other->Height());
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
    int code = 0;
    cairo_surface_t* decoded = Size ? decodeJpeg(static_cast<const unsigned char*>(Data), Size, &code) : nullptr;
    if (!decoded)
        throw EInvalidGraphic(Sprintf("JPEG error #%d", Size ? code : JERR_INPUT_EMPTY));
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
