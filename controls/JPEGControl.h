// A view of one JPEG picture loaded from a file: drawn at its natural size, centred
// when it is smaller than the control, and able to fit the control to the picture's
// proportions within a given width or height.
#pragma once

#include "platform/Controls.h"
#include "platform/JpegImage.h"

#include <memory>

class TJPEGControl : public TCustomControl {
public:
    explicit TJPEGControl(TComponent* AOwner);
    ~TJPEGControl() override;
    AnsiString ClassName() const override { return "TJPEGControl"; }

    // Shows the picture of the file Name. The name already shown does nothing: the
    // file is not read again. An empty name is clear(). A file that cannot be read
    // or decoded raises the loader's error (EFOpenError, EInvalidGraphic) with the
    // file name in front of its message, and leaves the control empty.
    void SetFile(const AnsiString& Name);
    // Stops showing the picture; SetFile with the same name then reads the file again.
    void clear();
    // Resizes the control to the picture, no larger than its natural size: within
    // MinWidth when MinHeight is 0, else within MinHeight; with both 0 to the
    // natural size. Does nothing while no picture has been loaded.
    void ComputeSize();
    // The colour of the control's pixel at a client point; clNone outside the
    // visible client area or while the control has no window.
    TColor GetColorAt(int X, int Y);

    AnsiString FileName() const { return FFileName; }
    int PictureWidth() const { return FPictureWidth; }
    int PictureHeight() const { return FPictureHeight; }

    // At most one of the two limits is non-zero: setting one clears the other.
    // Negative values are ignored. Neither resizes nor repaints.
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value);
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int Value);

protected:
    void Paint() override;

private:
    std::unique_ptr<TJPEGImage> FPicture;  // the decoded picture; kept by clear()
    AnsiString FFileName;                  // the file shown; empty: nothing shown
    int FMinWidth = 0;
    int FMinHeight = 0;
    int FPictureWidth = 0;   // of the picture loaded last; 0 while none
    int FPictureHeight = 0;
};
