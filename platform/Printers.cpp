#include "platform/Printers.h"

#include "platform/win/Charset.h"

#include <cairo-pdf.h>

#include <cmath>
#include <cstdio>

TPrinter::TPrinter() : FCanvas(std::make_unique<TCanvas>()) {}

TPrinter::~TPrinter()
{
    if (Printing())
        Abort();
}

int TPrinter::PageWidth() const { return static_cast<int>(std::lround(FPaperWidth * FPixelsPerInch / 72.0)); }
int TPrinter::PageHeight() const { return static_cast<int>(std::lround(FPaperHeight * FPixelsPerInch / 72.0)); }

void TPrinter::SetPixelsPerInch(int Value)
{
    if (Printing())
        throw EPrinter("Printing in progress");
    if (Value > 0)
        FPixelsPerInch = Value;
}

void TPrinter::SetPaperSize(double WidthPoints, double HeightPoints)
{
    if (Printing())
        throw EPrinter("Printing in progress");
    if (WidthPoints > 0 && HeightPoints > 0 && WidthPoints < 14400 && HeightPoints < 14400) {
        FPaperWidth = WidthPoints;
        FPaperHeight = HeightPoints;
    }
}

void TPrinter::BeginDoc()
{
    if (Printing())
        throw EPrinter("Printing in progress");
    AnsiString path = FFileName.empty() ? FTitle + ".pdf" : FFileName;
    cairo_surface_t* surface = cairo_pdf_surface_create(AnsiToUtf8(path).c_str(), FPaperWidth, FPaperHeight);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        AnsiString reason = cairo_status_to_string(cairo_surface_status(surface));
        cairo_surface_destroy(surface);
        throw EPrinter("Cannot print to '" + path + "': " + reason);
    }
    if (!FTitle.empty())
        cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, AnsiToUtf8(FTitle).c_str());
    // One unit of drawing is one device pixel of the printer.
    cairo_surface_set_device_scale(surface, 72.0 / FPixelsPerInch, 72.0 / FPixelsPerInch);
    FSurface = surface;
    FDC = CreateSurfaceDC(surface);
    SetDCResolution(FDC, FPixelsPerInch, {PageWidth(), PageHeight()});
    SetDCClipRect(FDC, {0, 0, PageWidth(), PageHeight()});
    FCanvas->SetHandle(FDC);
    FCanvas->Font()->SetPixelsPerInch(FPixelsPerInch);
    FCanvas->Font()->SetSize(10);
    FOutput = path;
    FPageNumber = 1;
    FAborted = false;
}

void TPrinter::NewPage()
{
    if (!Printing())
        throw EPrinter("Printer is not currently printing");
    cairo_show_page(FDC->cr);
    ++FPageNumber;
}

void TPrinter::EndDoc()
{
    if (!Printing())
        throw EPrinter("Printer is not currently printing");
    FCanvas->SetHandle(nullptr);
    DeleteDC(FDC);
    FDC = nullptr;
    cairo_surface_finish(FSurface);
    cairo_status_t status = cairo_surface_status(FSurface);
    cairo_surface_destroy(FSurface);
    FSurface = nullptr;
    if (status != CAIRO_STATUS_SUCCESS)
        throw EPrinter("Cannot print to '" + FOutput + "': " + cairo_status_to_string(status));
}

void TPrinter::Abort()
{
    if (!Printing())
        return;
    FCanvas->SetHandle(nullptr);
    DeleteDC(FDC);
    FDC = nullptr;
    cairo_surface_finish(FSurface);
    cairo_surface_destroy(FSurface);
    FSurface = nullptr;
    std::remove(AnsiToUtf8(FOutput).c_str());
    FAborted = true;
}

TPrinter* Printer()
{
    static TPrinter printer;
    return &printer;
}
