#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>

// The 91 numbered colours of the palette dialog and the one conversion
// between a colour's red, green and blue bytes and the stored form, a TColor
// value $BBGGRR (what a key's TextColor holds).

using TColorValue = std::int32_t;

inline constexpr int PaletteSize = 91;
inline constexpr int PaletteColumns = 13;
inline constexpr int PaletteRows = 7;

// A colour split into its three bytes.
class TRGB_Color
{
public:
    TRGB_Color() = default;
    TRGB_Color(std::uint8_t r, std::uint8_t g, std::uint8_t b) : R(r), G(g), B(b) {}
    // Red, green and blue parts of a stored colour.
    explicit TRGB_Color(TColorValue colour);

    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;

    // The stored form $BBGGRR.
    TColorValue ToColor() const;
    friend bool operator==(const TRGB_Color &, const TRGB_Color &) = default;
};

// Palette entry n (1..91) as RGB; black for a number outside the palette.
TRGB_Color PaletteRgb(int n);
// Palette entry n in the stored form.
TColorValue PaletteColor(int n);
// The number of the first entry equal to the colour, 0 when none is.
int PaletteIndex(TColorValue colour);
// That number as text; empty when the colour is not in the palette.
QString PaletteName(TColorValue colour);

// Where swatch n (1..91) sits in a swatch area: 13 columns by 7 rows, the
// numbers running upward in a column and the columns left to right.
QRect SwatchRect(int n, const QSize &area);

// The custom colour dialog's value line: decimal "%s %d / %s %d / %s %d" or
// hexadecimal "%s $%s / %s $%s / %s $%s", red, green, blue.
QString ColorValueLine(const TRGB_Color &c, const QString &red, const QString &green, const QString &blue,
                       bool hex);
