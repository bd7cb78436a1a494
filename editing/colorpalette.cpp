#include "editing/colorpalette.h"

#include <array>

namespace
{

struct Rgb {
    std::uint8_t r, g, b;
};

// Entries 1..91 in order.
constexpr std::array<Rgb, PaletteSize> Palette = {{
    {219, 112, 147}, {255, 192, 203}, {211, 211, 211}, {240, 230, 140}, {189, 183, 107}, {124, 252, 0},
    {255, 255, 255}, {255, 105, 180}, {255, 182, 193}, {192, 192, 192}, {244, 164, 96},  {143, 188, 143},
    {127, 255, 0},   {127, 255, 212}, {218, 112, 214}, {216, 191, 216}, {169, 169, 169}, {205, 133, 63},
    {107, 142, 35},  {173, 255, 47},  {152, 251, 152}, {186, 85, 211},  {188, 143, 143}, {173, 216, 230},
    {255, 127, 80},  {85, 107, 47},   {255, 255, 0},   {144, 238, 144}, {153, 50, 204},  {221, 160, 221},
    {176, 196, 222}, {255, 99, 71},   {0, 255, 255},   {255, 215, 0},   {0, 250, 154},   {138, 43, 226},
    {238, 130, 238}, {100, 149, 237}, {255, 69, 0},    {0, 128, 128},   {218, 165, 32},  {0, 255, 127},
    {255, 0, 255},   {123, 104, 238}, {30, 144, 255},  {222, 184, 135}, {0, 139, 139},   {184, 134, 11},
    {0, 255, 0},     {255, 20, 147},  {106, 90, 205},  {70, 130, 180},  {210, 180, 140}, {95, 158, 160},
    {255, 165, 0},   {50, 205, 50},   {220, 20, 60},   {72, 61, 139},   {65, 105, 225},  {255, 160, 122},
    {128, 128, 128}, {255, 140, 0},   {60, 179, 113},  {255, 0, 0},     {199, 21, 133},  {0, 0, 255},
    {233, 150, 122}, {112, 128, 144}, {210, 105, 30},  {46, 139, 87},   {178, 34, 34},   {128, 0, 128},
    {0, 0, 205},     {250, 128, 114}, {105, 105, 105}, {160, 82, 45},   {34, 139, 34},   {139, 0, 0},
    {139, 0, 139},   {0, 0, 139},     {240, 128, 128}, {47, 79, 79},    {139, 69, 19},   {0, 128, 0},
    {128, 0, 0},     {75, 0, 130},    {0, 0, 128},     {205, 92, 92},   {0, 0, 0},       {165, 42, 42},
    {0, 100, 0},
}};

} // namespace

TRGB_Color::TRGB_Color(TColorValue colour)
    : R(std::uint8_t(colour & 0xFF)), G(std::uint8_t((colour >> 8) & 0xFF)),
      B(std::uint8_t((colour >> 16) & 0xFF))
{
}

TColorValue TRGB_Color::ToColor() const
{
    return TColorValue(R) | (TColorValue(G) << 8) | (TColorValue(B) << 16);
}

TRGB_Color PaletteRgb(int n)
{
    if (n < 1 || n > PaletteSize)
        return {};
    const Rgb &e = Palette[n - 1];
    return TRGB_Color(e.r, e.g, e.b);
}

TColorValue PaletteColor(int n)
{
    return PaletteRgb(n).ToColor();
}

int PaletteIndex(TColorValue colour)
{
    for (int n = 1; n <= PaletteSize; ++n)
        if (PaletteColor(n) == colour)
            return n;
    return 0;
}

QString PaletteName(TColorValue colour)
{
    const int n = PaletteIndex(colour);
    return n > 0 ? QString::number(n) : QString();
}

QRect SwatchRect(int n, const QSize &area)
{
    if (n < 1 || n > PaletteSize)
        return {};
    const int height = (area.height() - 40) / PaletteRows;
    const int width = (area.width() - 70) / PaletteColumns;
    const int column = (n - 1) / PaletteRows;
    const int row = PaletteRows - 1 - ((n - 1) % PaletteRows);
    return QRect(10 + column * (width + 5), 5 + row * (height + 5), width, height);
}

QString ColorValueLine(const TRGB_Color &c, const QString &red, const QString &green, const QString &blue,
                       bool hex)
{
    auto value = [hex](std::uint8_t v) {
        return hex ? QStringLiteral("$") + QStringLiteral("%1").arg(int(v), 2, 16, QChar(u'0')).toUpper()
                   : QString::number(v);
    };
    return red + u' ' + value(c.R) + QStringLiteral(" / ") + green + u' ' + value(c.G) +
           QStringLiteral(" / ") + blue + u' ' + value(c.B);
}
