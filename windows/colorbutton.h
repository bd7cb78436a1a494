#pragma once

#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

#include <QMenu>
class QShortcut;

// Face colours of a console key, as $BBGGRR values. The key's state is its colour.
namespace KeyColors
{
inline constexpr std::uint32_t Normal = 0xC8D0D4;
inline constexpr std::uint32_t Active = 0xECEFF0;
inline constexpr std::uint32_t Marked = 0xFFA54A;
inline constexpr std::uint32_t ActiveMarked = 0xFFCF9F;
inline constexpr std::uint32_t Move = 0xA4A4A4;
} // namespace KeyColors

// $BBGGRR (the stored colour form) to and from QColor.
QColor ColorFromTColor(std::uint32_t bgr);
std::uint32_t TColorFromColor(const QColor &color);

// Reading a key's state back from its face colour.
bool IsActiveColor(const QColor &color); // active, or active and marked
bool IsMarkedColor(const QColor &color); // marked, or active and marked
bool IsMoveColor(const QColor &color);

// A bevelled button in any colour that stands for one console key: caption or
// picture, an optional diagonal cross and an optional corner square with a
// letter. Only the left mouse button presses it.
class TColorButton : public QWidget
{
    Q_OBJECT
public:
    enum TAlignment {
        alTopLeft,
        alTopCenter,
        alTopRight,
        alMiddleLeft,
        alMiddleCenter,
        alMiddleRight,
        alBottomLeft,
        alBottomCenter,
        alBottomRight
    };
    enum TButtonBevel { bbLowered, bbNone, bbRaised };
    enum TButtonStyles {
        bsAutoSize = 0x01,
        bsCenter = 0x02,
        bsStretch = 0x04,
        bsShowFocus = 0x08,
        bsSpeedKey = 0x10,
        bsMultiState = 0x20,
        bsMultiLine = 0x40
    };
    Q_DECLARE_FLAGS(TButtonStyle, TButtonStyles)
    enum TFontStyle { fnNormal, fnRaised, fnLowered };
    // Button state.
    enum { StateUp = 0, StateDown = 1, StateDisabled = 2 };

    explicit TColorButton(QWidget *owner = nullptr);
    ~TColorButton() override;

    // After the control was placed from a layout: state follows Enabled, bevel colours derived.
    void Loaded();

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    TButtonBevel BevelStyle() const { return FBevelStyle; }
    void SetBevelStyle(TButtonBevel value);
    int BevelSize() const { return FBevelSize; }
    void SetBevelSize(int value);
    QColor Color() const { return FColor; }
    void SetColor(const QColor &value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    TButtonStyle Style() const { return FStyle; }
    void SetStyle(TButtonStyle value);
    TFontStyle FontStyle() const { return FFontStyle; }
    void SetFontStyle(TFontStyle value);
    const QPixmap &Picture() const { return FPicture; }
    void SetPicture(const QPixmap &value);
    bool Down() const { return FDown; }
    void SetDown(bool value);
    bool Value() const { return FState == StateDown; }
    void SetValue(bool value);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString &value);
    // Caption colour (the font's colour).
    QColor FontColor() const { return FFontColor; }
    void SetFontColor(const QColor &value);

    int EnableLine() const { return FEnableLine; }
    void SetEnableLine(int value);
    QColor ColorLine() const { return FColorLine; }
    void SetColorLine(const QColor &value);
    int HeightLine() const { return FHeightLine; }
    void SetHeightLine(int value);
    int DeltaX() const { return FDeltaX; }
    void SetDeltaX(int value);
    int DeltaY() const { return FDeltaY; }
    void SetDeltaY(int value);

    bool EnableSquare() const { return FEnableSquare; }
    void SetEnableSquare(bool value);
    int DeltaSX() const { return FDeltaSX; }
    void SetDeltaSX(int value);
    int DeltaSY() const { return FDeltaSY; }
    void SetDeltaSY(int value);
    QColor ColorSt() const { return FColorSt; }
    void SetColorSt(const QColor &value);
    QColor ColorHt() const { return FColorHt; }
    void SetColorHt(const QColor &value);
    QColor ColorSquareText() const { return FColorSquareText; }
    void SetColorSquareText(const QColor &value);
    QString SquareText() const { return FSquareText; }
    void SetSquareText(const QString &value);

    // The owner's bookkeeping; the control itself never reads them.
    int Old = 0;
    int X = 0;
    int Pomocna = 0;
    int Pomocna1 = 0;
    int Tag = 0;
    QColor DefaultFontcolor = Qt::black;
    int HelpContext = 0;

    QMenu *PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu *menu) { FPopupMenu = menu; }

    // Hint text, shown as the tool tip while ShowHint is on.
    QString Hint() const { return FHint; }
    void SetHint(const QString &value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value);

    // Internal state, for owners and tests.
    int ButtonState() const { return FState; }
    bool HasFocusFlag() const { return FFocused; }
    QColor LightColor() const { return FLightColor; }
    QColor DarkColor() const { return FDarkColor; }

    // Fires OnContextPopup and, unless handled, opens the pop-up menu at globalPos.
    void ShowContextMenu(QPoint pos, QPoint globalPos);

    // Fires OnClick.
    void Click();
    // A dialog character: when it is the caption's accelerator and the button
    // is enabled, clicks it and answers true.
    bool DialogChar(QChar c);

    // The face as Paint draws it, one image pixel per control pixel.
    QImage PaintImage();

signals:
    void OnClick(TColorButton *sender);
    void OnDblClick(TColorButton *sender);
    void OnMouseDown(TColorButton *sender, Qt::MouseButton button, Qt::MouseButtons buttons,
                     Qt::KeyboardModifiers shift, QPoint pos);
    void OnMouseUp(TColorButton *sender, Qt::MouseButton button, Qt::MouseButtons buttons,
                   Qt::KeyboardModifiers shift, QPoint pos);
    // A move with the left button held comes from the key it was pressed on, in
    // that key's coordinates; any other move from the key under the cursor.
    void OnMouseMove(TColorButton *sender, Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPoint pos);
    // Before the pop-up menu opens; pos is in control coordinates. Setting
    // *handled keeps the menu closed.
    void OnContextPopup(TColorButton *sender, QPoint pos, bool *handled);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void DeriveBevelColors();
    void ApplyAutoSize();
    void UpdateAccelerator();
    void LeftPress(QMouseEvent *event, bool doubleClick);
    // The menu of the control under the mouse at globalPos.
    void OpenContextMenuAt(QPoint globalPos);
    void PaintCaption(QPainter &p, int dx, int dy, const QColor &color);
    void PaintCross(QPainter &p);
    void PaintSquare(QImage &image);

    TAlignment FAlignment = alMiddleCenter;
    TButtonBevel FBevelStyle = bbRaised;
    int FBevelSize = 2;
    QColor FColor;
    QColor FLightColor;
    QColor FDarkColor;
    int FSpacing = 2;
    TButtonStyle FStyle = TButtonStyle(bsCenter | bsShowFocus | bsSpeedKey | bsMultiLine);
    TFontStyle FFontStyle = fnNormal;
    QPixmap FPicture;
    bool FDown = false;
    QString FCaption;
    QColor FFontColor = Qt::black;

    int FEnableLine = 0;
    QColor FColorLine = Qt::red;
    int FHeightLine = 5;
    int FDeltaX = 10;
    int FDeltaY = 10;

    bool FEnableSquare = false;
    int FDeltaSX = 14;
    int FDeltaSY = 16;
    QColor FColorSt = QColor(0, 255, 255);
    QColor FColorHt = QColor(255, 255, 0);
    QColor FColorSquareText = Qt::black;
    QString FSquareText = QStringLiteral("H");

    QPointer<QMenu> FPopupMenu;
    QString FHint;
    bool FShowHint = false;

    int FState = StateUp;
    bool FFocused = false;
    bool FClicked = false; // a left press started inside; its release clicks
    bool FContextPending = false; // the menu asked for on a right press waits for the release
    QShortcut *FAccelerator = nullptr;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TColorButton::TButtonStyle)
