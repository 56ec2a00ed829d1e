#pragma once

#include <QString>

// The physical size of a scanned picture in tenths of a millimetre, from the density its file
// records; both 0 when the file does not tell.
struct PictureSize {
    int width = 0;
    int height = 0;
    bool known() const { return width != 0 && height != 0; }
};

// Reads the size of a JPEG file (from its JFIF density and frame header) or a bitmap (from its
// pixels per metre). Any other file, a JPEG without a JFIF density and a bitmap without a
// resolution give no size. Throws TemplateError when the file cannot be opened.
PictureSize ReadPictureSize(const QString& path);
