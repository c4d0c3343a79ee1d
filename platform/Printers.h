// The printer object: a print job written as a PDF file through Cairo's PDF surface.
// Pages are drawn in device pixels at the printer's resolution on Handle() or
// Canvas(); text drawn there stays text in the file (it can be searched and selected).
#pragma once

#include "platform/Graphics.h"
#include "platform/SysUtils.h"

#include <memory>

class EPrinter : public Exception { using Exception::Exception; };

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // The document's title: the PDF's title and, without a file name, its name.
    AnsiString Title() const { return FTitle; }
    void SetTitle(const AnsiString& Value) { FTitle = Value; }
    // The file the next job writes; empty: Title + ".pdf" in the working directory.
    AnsiString FileName() const { return FFileName; }
    void SetFileName(const AnsiString& Value) { FFileName = Value; }
    // The file the last job wrote.
    AnsiString OutputFileName() const { return FOutput; }

    void BeginDoc();
    void NewPage();
    void EndDoc();
    // Ends the job; the file written so far is removed.
    void Abort();
    bool Printing() const { return FDC != nullptr; }
    bool Aborted() const { return FAborted; }
    int PageNumber() const { return FPageNumber; }

    // Valid while printing.
    HDC Handle() const { return FDC; }
    TCanvas* Canvas() { return FCanvas.get(); }

    // Page size in device pixels and the resolution; A4 at 600 pixels per inch
    // unless the paper or the resolution is changed (not while printing).
    int PageWidth() const;
    int PageHeight() const;
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value);
    // Paper in points (1/72 inch).
    void SetPaperSize(double WidthPoints, double HeightPoints);

private:
    AnsiString FTitle;
    AnsiString FFileName;
    AnsiString FOutput;
    double FPaperWidth = 595.2756;   // A4, points
    double FPaperHeight = 841.8898;
    int FPixelsPerInch = 600;
    cairo_surface_t* FSurface = nullptr;
    HDC FDC = nullptr;
    std::unique_ptr<TCanvas> FCanvas;
    int FPageNumber = 0;
    bool FAborted = false;
};

// The application's printer, created on first use.
TPrinter* Printer();
