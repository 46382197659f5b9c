#pragma once

#include <QSize>

class QIODevice;
class QImage;

namespace korvel {

struct PngWriteState;

// Writes an 8-bit RGB PNG to a device a band of rows at a time, so that a tall picture is never
// whole in memory (QImageWriter takes only a whole image). libpng reports its failures by a long
// jump: it is caught right in each call here, where no C++ object needs unwinding.
class PngRowWriter final {
public:
    // Writes the PNG header of a picture of `size` pixels to `device`.
    PngRowWriter(QIODevice& device, QSize size);
    ~PngRowWriter();

    PngRowWriter(const PngRowWriter&) = delete;
    PngRowWriter& operator=(const PngRowWriter&) = delete;

    // Appends `rows` rows of `band` from its row `first`; the band is an opaque
    // Format_ARGB32_Premultiplied or Format_RGB32 image as wide as the picture.
    bool writeRows(const QImage& band, int first, int rows);
    // Ends the picture once every row was written.
    bool finish();
    // False once a step failed (libpng or the device); every later call fails too.
    bool ok() const { return m_ok; }

private:
    PngWriteState* m_png = nullptr;
    bool m_ok = false;
};

} // namespace korvel
