#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QStyleHints>
#include <QtTest>
#include <functional>

#include "windows/colorbutton.h"

namespace
{

QImage Shot(QWidget &w)
{
    QImage image = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    return image.scaled(w.size());
}

int CountColor(const QImage &image, const QColor &color, QRect area = {})
{
    if (area.isNull())
        area = image.rect();
    area &= image.rect();
    const QRgb want = color.rgb() | 0xFF000000u;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += (image.pixel(x, y) | 0xFF000000u) == want;
    return count;
}

// Bounding box of the pixels of one colour.
QRect BoxOf(const QImage &image, const QColor &color)
{
    QRect box;
    const QRgb want = color.rgb() | 0xFF000000u;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) | 0xFF000000u) == want)
                box |= QRect(x, y, 1, 1);
    return box;
}

QColor PixelAt(const QImage &image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

const QColor TextColor(20, 90, 30); // a caption colour no other part uses

} // namespace

Q_DECLARE_METATYPE(TColorButton::TAlignment)

class TestColorButton : public QObject
{
    Q_OBJECT
private slots:
    void defaults();
    void bevelColors_data();
    void bevelColors();
    void clampedSizes();
    void keyStateColors_data();
    void keyStateColors();
    void faceColorPerState_data();
    void faceColorPerState();
    void bevelFollowsState();
    void captionDrawn();
    void captionAlignment_data();
    void captionAlignment();
    void captionEffects();
    void crossNeedsCaption();
    void crossDisablesAboveTwo();
    void cornerSquare();
    void cornerSquareOutlineFollowsCorner();
    void valueOnlyForMultiState();
    void downSetsState();
    void enabledChangesState();
    void leftClickEmits();
    void rightClickDropped();
    void pressAndReleaseState();
    void multiStateToggles();
    void disabledIgnoresMouse();
    void doubleClickClicksOnce();
    void releaseOutsideDoesNotClick();
    void movesWithButtonsHeld();
    void contextPopup();
    void contextMenuWaitsForRightRelease();
    void accelerator();
    void acceleratorKey();
    void picture();
    void hint();
    void deletedInHandler();
};

void TestColorButton::defaults()
{
    TColorButton b;
    QCOMPARE(b.Alignment(), TColorButton::alMiddleCenter);
    QCOMPARE(b.BevelStyle(), TColorButton::bbRaised);
    QCOMPARE(b.BevelSize(), 2);
    QCOMPARE(b.Color(), b.palette().color(QPalette::Button));
    QCOMPARE(b.Spacing(), 2);
    QCOMPARE(b.Style(), TColorButton::TButtonStyle(TColorButton::bsCenter | TColorButton::bsShowFocus |
                                                   TColorButton::bsSpeedKey | TColorButton::bsMultiLine));
    QCOMPARE(b.FontStyle(), TColorButton::fnNormal);
    QVERIFY(b.Picture().isNull());
    QCOMPARE(b.Down(), false);
    QCOMPARE(b.Value(), false);
    QCOMPARE(b.Old, 0);
    QCOMPARE(b.X, 0);
    QCOMPARE(b.Pomocna, 0);
    QCOMPARE(b.Pomocna1, 0);
    QCOMPARE(b.DefaultFontcolor, QColor(Qt::black));
    QCOMPARE(b.EnableLine(), 0);
    QCOMPARE(b.ColorLine(), QColor(255, 0, 0));
    QCOMPARE(b.HeightLine(), 5);
    QCOMPARE(b.DeltaX(), 10);
    QCOMPARE(b.DeltaY(), 10);
    QCOMPARE(b.EnableSquare(), false);
    QCOMPARE(b.DeltaSX(), 14);
    QCOMPARE(b.DeltaSY(), 16);
    QCOMPARE(b.ColorSt(), QColor(0, 255, 255));
    QCOMPARE(b.ColorHt(), QColor(255, 255, 0));
    QCOMPARE(b.ColorSquareText(), QColor(0, 0, 0));
    QCOMPARE(b.SquareText(), QStringLiteral("H"));
    QCOMPARE(b.size(), QSize(75, 25));
    QCOMPARE(b.ButtonState(), int(TColorButton::StateUp));
    QVERIFY(b.Caption().isEmpty());
}

void TestColorButton::bevelColors_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QColor>("light");
    QTest::addColumn<QColor>("dark");
    QTest::newRow("grey") << QColor(192, 192, 192) << QColor(255, 255, 255) << QColor(128, 128, 128);
    QTest::newRow("black") << QColor(0, 0, 0) << QColor(64, 64, 64) << QColor(0, 0, 0);
    QTest::newRow("mixed") << QColor(10, 100, 250) << QColor(74, 164, 255) << QColor(0, 36, 186);
}

void TestColorButton::bevelColors()
{
    QFETCH(QColor, color);
    QFETCH(QColor, light);
    QFETCH(QColor, dark);
    TColorButton b;
    b.SetColor(color);
    QCOMPARE(b.LightColor(), light);
    QCOMPARE(b.DarkColor(), dark);
    b.Loaded();
    QCOMPARE(b.LightColor(), light);
    QCOMPARE(b.DarkColor(), dark);
}

void TestColorButton::clampedSizes()
{
    TColorButton b;
    b.SetBevelSize(0);
    QCOMPARE(b.BevelSize(), 1);
    b.SetBevelSize(-7);
    QCOMPARE(b.BevelSize(), 1);
    b.SetBevelSize(4);
    QCOMPARE(b.BevelSize(), 4);
    b.SetSpacing(-3);
    QCOMPARE(b.Spacing(), 0);
    b.SetSpacing(5);
    QCOMPARE(b.Spacing(), 5);
}

void TestColorButton::keyStateColors_data()
{
    QTest::addColumn<uint>("bgr");
    QTest::addColumn<QColor>("rgb");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("marked");
    QTest::addColumn<bool>("move");
    QTest::newRow("normal") << uint(KeyColors::Normal) << QColor(0xD4, 0xD0, 0xC8) << false << false << false;
    QTest::newRow("active") << uint(KeyColors::Active) << QColor(0xF0, 0xEF, 0xEC) << true << false << false;
    QTest::newRow("marked") << uint(KeyColors::Marked) << QColor(0x4A, 0xA5, 0xFF) << false << true << false;
    QTest::newRow("active marked") << uint(KeyColors::ActiveMarked) << QColor(0x9F, 0xCF, 0xFF) << true
                                   << true << false;
    QTest::newRow("move") << uint(KeyColors::Move) << QColor(0xA4, 0xA4, 0xA4) << false << false << true;
}

void TestColorButton::keyStateColors()
{
    QFETCH(uint, bgr);
    QFETCH(QColor, rgb);
    QFETCH(bool, active);
    QFETCH(bool, marked);
    QFETCH(bool, move);
    QCOMPARE(ColorFromTColor(bgr), rgb);
    QCOMPARE(TColorFromColor(rgb), bgr);
    QCOMPARE(IsActiveColor(rgb), active);
    QCOMPARE(IsMarkedColor(rgb), marked);
    QCOMPARE(IsMoveColor(rgb), move);
}

void TestColorButton::faceColorPerState_data()
{
    keyStateColors_data();
}

void TestColorButton::faceColorPerState()
{
    QFETCH(uint, bgr);
    TColorButton b;
    b.resize(40, 30);
    b.SetColor(ColorFromTColor(bgr));
    const QImage shot = Shot(b);
    QCOMPARE(PixelAt(shot, 20, 15), ColorFromTColor(bgr));
    // Raised bevel: light top left, dark bottom right.
    QCOMPARE(PixelAt(shot, 0, 0), b.LightColor());
    QCOMPARE(PixelAt(shot, 1, 10), b.LightColor());
    QCOMPARE(PixelAt(shot, 39, 29), b.DarkColor());
    QCOMPARE(PixelAt(shot, 20, 28), b.DarkColor());
    QCOMPARE(PixelAt(shot, 2, 2), ColorFromTColor(bgr));
}

void TestColorButton::bevelFollowsState()
{
    TColorButton b;
    b.resize(40, 30);
    b.SetColor(QColor(128, 128, 128));
    const QColor light(192, 192, 192), dark(64, 64, 64);
    struct Case {
        TColorButton::TButtonBevel bevel;
        bool down;
        QColor topLeft;
        QColor bottomRight;
    };
    const Case cases[] = {
        {TColorButton::bbRaised, false, light, dark},
        {TColorButton::bbRaised, true, dark, light},
        {TColorButton::bbLowered, false, dark, light},
        {TColorButton::bbLowered, true, light, dark},
        {TColorButton::bbNone, false, QColor(128, 128, 128), QColor(128, 128, 128)},
    };
    for (const Case &c : cases) {
        b.SetBevelStyle(c.bevel);
        b.SetDown(c.down);
        const QImage shot = Shot(b);
        QCOMPARE(PixelAt(shot, 0, 5), c.topLeft);
        QCOMPARE(PixelAt(shot, 5, 1), c.topLeft);
        QCOMPARE(PixelAt(shot, 39, 5), c.bottomRight);
        QCOMPARE(PixelAt(shot, 5, 28), c.bottomRight);
    }
    // A wider bevel covers more rings.
    b.SetBevelStyle(TColorButton::bbRaised);
    b.SetDown(false);
    b.SetBevelSize(4);
    QImage shot = Shot(b);
    QCOMPARE(PixelAt(shot, 3, 10), light);
    QCOMPARE(PixelAt(shot, 36, 10), dark);
    QCOMPARE(PixelAt(shot, 4, 10), QColor(128, 128, 128));
}

void TestColorButton::captionDrawn()
{
    TColorButton b;
    b.resize(80, 30);
    b.SetColor(ColorFromTColor(KeyColors::Normal));
    b.SetFontColor(TextColor);
    QCOMPARE(CountColor(Shot(b), TextColor), 0);
    b.SetCaption(QStringLiteral("MB 12"));
    const QImage shot = Shot(b);
    QVERIFY(CountColor(shot, TextColor) > 10);
    const QRect box = BoxOf(shot, TextColor);
    // Centred, inside the bevel and spacing.
    QVERIFY2(QRect(4, 4, 72, 22).contains(box),
             qPrintable(
                 QStringLiteral("%1,%2 %3x%4").arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())));
    QVERIFY(qAbs(box.center().x() - 40) <= 2);
    QVERIFY(qAbs(box.center().y() - 15) <= 3);
}

void TestColorButton::captionAlignment_data()
{
    QTest::addColumn<TColorButton::TAlignment>("alignment");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::newRow("top left") << TColorButton::alTopLeft << 0 << 0;
    QTest::newRow("top center") << TColorButton::alTopCenter << 1 << 0;
    QTest::newRow("top right") << TColorButton::alTopRight << 2 << 0;
    QTest::newRow("middle left") << TColorButton::alMiddleLeft << 0 << 1;
    QTest::newRow("middle center") << TColorButton::alMiddleCenter << 1 << 1;
    QTest::newRow("middle right") << TColorButton::alMiddleRight << 2 << 1;
    QTest::newRow("bottom left") << TColorButton::alBottomLeft << 0 << 2;
    QTest::newRow("bottom center") << TColorButton::alBottomCenter << 1 << 2;
    QTest::newRow("bottom right") << TColorButton::alBottomRight << 2 << 2;
}

void TestColorButton::captionAlignment()
{
    QFETCH(TColorButton::TAlignment, alignment);
    QFETCH(int, column);
    QFETCH(int, row);
    TColorButton b;
    b.resize(150, 90);
    b.SetColor(QColor(200, 200, 200));
    b.SetFontColor(TextColor);
    b.SetCaption(QStringLiteral("Ab"));
    b.SetAlignment(alignment);
    const QRect box = BoxOf(Shot(b), TextColor);
    QVERIFY(!box.isEmpty());
    const int inset = b.BevelSize() + b.Spacing();
    QVERIFY(box.left() >= inset && box.right() < 150 - inset);
    QVERIFY(box.top() >= inset && box.bottom() < 90 - inset);
    QCOMPARE(box.center().x() * 3 / 150, column);
    QCOMPARE(box.center().y() * 3 / 90, row);
}

void TestColorButton::captionEffects()
{
    TColorButton b;
    b.resize(80, 40);
    b.SetColor(QColor(128, 128, 128));
    b.SetFontColor(TextColor);
    b.SetCaption(QStringLiteral("WWW"));
    const QRect face(2, 2, 76, 36);
    QCOMPARE(CountColor(Shot(b), b.LightColor(), face), 0);
    QCOMPARE(CountColor(Shot(b), b.DarkColor(), face), 0);

    for (auto style : {TColorButton::fnRaised, TColorButton::fnLowered}) {
        b.SetFontStyle(style);
        const QImage shot = Shot(b);
        QVERIFY(CountColor(shot, b.LightColor(), face) > 0);
        QVERIFY(CountColor(shot, b.DarkColor(), face) > 0);
        QVERIFY(CountColor(shot, TextColor, face) > 0);
        // Raised: light above left of the text, dark below right; lowered the other way.
        const QRect light = BoxOf(shot.copy(face), b.LightColor());
        const QRect dark = BoxOf(shot.copy(face), b.DarkColor());
        if (style == TColorButton::fnRaised)
            QVERIFY(light.top() < dark.top() && light.center().y() < dark.center().y());
        else
            QVERIFY(light.bottom() > dark.bottom() && light.center().y() > dark.center().y());
    }

    // Disabled: engraved in the bevel colours, no font colour.
    b.SetFontStyle(TColorButton::fnNormal);
    b.setEnabled(false);
    const QImage shot = Shot(b);
    QCOMPARE(CountColor(shot, TextColor, face), 0);
    QVERIFY(CountColor(shot, b.LightColor(), face) > 0);
    QVERIFY(CountColor(shot, b.DarkColor(), face) > 0);
    const QRect light = BoxOf(shot.copy(face), b.LightColor());
    const QRect dark = BoxOf(shot.copy(face), b.DarkColor());
    QCOMPARE(light.topLeft(), dark.topLeft() + QPoint(1, 1));
}

void TestColorButton::crossNeedsCaption()
{
    TColorButton b;
    b.resize(80, 60);
    b.SetColor(ColorFromTColor(KeyColors::Normal));
    b.SetEnableLine(1);
    QVERIFY(b.isEnabled());
    QCOMPARE(CountColor(Shot(b), Qt::red), 0);

    b.SetCaption(QStringLiteral("x"));
    QImage shot = Shot(b);
    QVERIFY(CountColor(shot, Qt::red) > 100);
    // Both diagonals, from (10, 10) to (70, 50) and from (70, 10) to (10, 50).
    QCOMPARE(PixelAt(shot, 16, 14), QColor(Qt::red));
    QCOMPARE(PixelAt(shot, 64, 14), QColor(Qt::red));
    QCOMPARE(PixelAt(shot, 16, 46), QColor(Qt::red));
    QCOMPARE(PixelAt(shot, 64, 46), QColor(Qt::red));
    QCOMPARE(PixelAt(shot, 40, 12), ColorFromTColor(KeyColors::Normal));
    // Nothing beyond the insets.
    QCOMPARE(CountColor(shot, Qt::red, QRect(0, 0, 80, 6)), 0);
    QCOMPARE(CountColor(shot, Qt::red, QRect(0, 0, 6, 60)), 0);

    b.SetColorLine(Qt::blue);
    b.SetHeightLine(1);
    shot = Shot(b);
    QCOMPARE(CountColor(shot, Qt::red), 0);
    const int thin = CountColor(shot, Qt::blue);
    QVERIFY(thin > 60 && thin < 140);

    b.SetEnableLine(0);
    QCOMPARE(CountColor(Shot(b), Qt::blue), 0);
}

void TestColorButton::crossDisablesAboveTwo()
{
    TColorButton b;
    b.resize(80, 60);
    b.SetCaption(QStringLiteral("x"));
    b.SetEnableLine(2);
    QVERIFY(b.isEnabled());
    b.SetEnableLine(3);
    QVERIFY(!b.isEnabled());
    QCOMPARE(b.ButtonState(), int(TColorButton::StateDisabled));
    QVERIFY(CountColor(Shot(b), Qt::red) > 100);
    b.SetEnableLine(1);
    QVERIFY(b.isEnabled());
    QCOMPARE(b.ButtonState(), int(TColorButton::StateUp));
}

void TestColorButton::cornerSquare()
{
    TColorButton b;
    b.resize(60, 40);
    b.SetColor(ColorFromTColor(KeyColors::Marked));
    const QColor letter(200, 0, 200);
    b.SetColorSquareText(letter);
    const QRect square(0, 0, 15, 17);
    QImage shot = Shot(b);
    QCOMPARE(CountColor(shot, b.ColorSt()), 0);
    QCOMPARE(CountColor(shot, b.ColorHt()), 0);

    b.SetEnableSquare(true);
    shot = Shot(b);
    // Lower-right half aqua, upper-left half yellow, the letter between.
    QCOMPARE(PixelAt(shot, 13, 15), b.ColorSt());
    QCOMPARE(PixelAt(shot, 12, 14), b.ColorSt());
    QCOMPARE(PixelAt(shot, 2, 2), b.ColorHt());
    QCOMPARE(PixelAt(shot, 3, 2), b.ColorHt());
    QVERIFY(CountColor(shot, b.ColorSt(), square) > 20);
    QVERIFY(CountColor(shot, b.ColorHt(), square) > 20);
    QVERIFY(CountColor(shot, letter, square) > 3);
    // Nothing of it outside the square; the face keeps its colour.
    QCOMPARE(CountColor(shot, b.ColorSt()) - CountColor(shot, b.ColorSt(), square), 0);
    QCOMPARE(CountColor(shot, b.ColorHt()) - CountColor(shot, b.ColorHt(), square), 0);
    QCOMPARE(CountColor(shot, letter) - CountColor(shot, letter, square), 0);
    QCOMPARE(PixelAt(shot, 30, 20), ColorFromTColor(KeyColors::Marked));
    // Outline in the corner pixel's colour (the light bevel of a raised button).
    QCOMPARE(PixelAt(shot, 14, 8), b.LightColor());
    QCOMPARE(PixelAt(shot, 8, 16), b.LightColor());

    // Other sizes and colours.
    b.SetDeltaSX(24);
    b.SetDeltaSY(24);
    b.SetColorSt(Qt::green);
    b.SetColorHt(Qt::blue);
    b.SetSquareText(QString());
    shot = Shot(b);
    QCOMPARE(PixelAt(shot, 22, 22), QColor(Qt::green));
    QCOMPARE(PixelAt(shot, 4, 4), QColor(Qt::blue));
    QCOMPARE(CountColor(shot, letter), 0);
    QCOMPARE(CountColor(shot, Qt::green, QRect(25, 0, 35, 40)), 0);
}

void TestColorButton::cornerSquareOutlineFollowsCorner()
{
    TColorButton b;
    b.resize(60, 40);
    b.SetColor(QColor(128, 128, 128));
    b.SetEnableSquare(true);
    b.SetDown(true);
    const QImage shot = Shot(b);
    QCOMPARE(PixelAt(shot, 0, 0), b.DarkColor());
    QCOMPARE(PixelAt(shot, 14, 8), b.DarkColor());
    QCOMPARE(PixelAt(shot, 12, 14), b.ColorSt());
}

void TestColorButton::valueOnlyForMultiState()
{
    TColorButton b;
    b.SetValue(true);
    QCOMPARE(b.Value(), false);
    QCOMPARE(b.ButtonState(), int(TColorButton::StateUp));
    b.SetStyle(b.Style() | TColorButton::bsMultiState);
    b.SetValue(true);
    QCOMPARE(b.Value(), true);
    QCOMPARE(b.ButtonState(), int(TColorButton::StateDown));
    b.SetValue(false);
    QCOMPARE(b.Value(), false);
}

void TestColorButton::downSetsState()
{
    TColorButton b;
    b.SetDown(true);
    QCOMPARE(b.Down(), true);
    QCOMPARE(b.ButtonState(), int(TColorButton::StateDown));
    QCOMPARE(b.Value(), true);
    b.SetDown(false);
    QCOMPARE(b.ButtonState(), int(TColorButton::StateUp));
}

void TestColorButton::enabledChangesState()
{
    TColorButton b;
    b.SetDown(true);
    b.setEnabled(false);
    QCOMPARE(b.ButtonState(), int(TColorButton::StateDisabled));
    b.setEnabled(true);
    QCOMPARE(b.ButtonState(), int(TColorButton::StateUp));
}

namespace
{

struct Host {
    QWidget window;
    TColorButton *button;
    QStringList log;

    Host()
    {
        window.resize(200, 100);
        button = new TColorButton(&window);
        button->move(10, 10);
        button->SetCaption(QStringLiteral("Key"));
        QObject::connect(button, &TColorButton::OnClick, [this](TColorButton *s) {
            QCOMPARE(s, button);
            log << QStringLiteral("click");
        });
        QObject::connect(button, &TColorButton::OnDblClick, [this](TColorButton *) { log << "dblclick"; });
        QObject::connect(button, &TColorButton::OnMouseDown,
                         [this](TColorButton *, Qt::MouseButton b, Qt::MouseButtons, Qt::KeyboardModifiers,
                                QPoint) { log << QStringLiteral("down %1").arg(int(b)); });
        QObject::connect(button, &TColorButton::OnMouseUp,
                         [this](TColorButton *, Qt::MouseButton b, Qt::MouseButtons, Qt::KeyboardModifiers,
                                QPoint) { log << QStringLiteral("up %1").arg(int(b)); });
        window.show();
    }
};

} // namespace

void TestColorButton::leftClickEmits()
{
    Host h;
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));
    QTest::mouseClick(h.button, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QCOMPARE(h.log, QStringList({"down 1", "click", "up 1"}));

    QSignalSpy moves(h.button, &TColorButton::OnMouseMove);
    QTest::mouseMove(h.button, QPoint(30, 12));
    QTRY_VERIFY(moves.count() > 0);
    QCOMPARE(moves.last().at(3).toPoint(), QPoint(30, 12));
}

void TestColorButton::rightClickDropped()
{
    Host h;
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));
    QTest::mouseClick(h.button, Qt::RightButton, Qt::NoModifier, QPoint(20, 10));
    QTest::mouseClick(h.button, Qt::MiddleButton, Qt::NoModifier, QPoint(20, 10));
    QCOMPARE(h.log, QStringList());
    QCOMPARE(h.button->ButtonState(), int(TColorButton::StateUp));
    QTest::mousePress(h.button, Qt::RightButton, Qt::NoModifier, QPoint(20, 10));
    QCOMPARE(h.button->ButtonState(), int(TColorButton::StateUp));
    QTest::mouseRelease(h.button, Qt::RightButton, Qt::NoModifier, QPoint(20, 10));
    QCOMPARE(h.log, QStringList());
}

void TestColorButton::pressAndReleaseState()
{
    Host h;
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));
    h.button->SetColor(QColor(128, 128, 128));
    QTest::mousePress(h.button, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QCOMPARE(h.button->ButtonState(), int(TColorButton::StateDown));
    QCOMPARE(h.button->Value(), true);
    QCOMPARE(PixelAt(Shot(*h.button), 0, 5), h.button->DarkColor());
    QTest::mouseRelease(h.button, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QCOMPARE(h.button->ButtonState(), int(TColorButton::StateUp));
    QCOMPARE(PixelAt(Shot(*h.button), 0, 5), h.button->LightColor());
}

void TestColorButton::multiStateToggles()
{
    Host h;
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));
    h.button->SetStyle(h.button->Style() | TColorButton::bsMultiState);
    const int expected[] = {TColorButton::StateDown, TColorButton::StateUp, TColorButton::StateDown};
    for (int want : expected) {
        QTest::mouseClick(h.button, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
        QCOMPARE(h.button->ButtonState(), want);
        // Far enough apart not to count as a double click.
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    }
    QCOMPARE(h.log.count(QStringLiteral("click")), 3);
}

void TestColorButton::disabledIgnoresMouse()
{
    Host h;
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));
    h.button->setEnabled(false);
    QTest::mousePress(h.button, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QCOMPARE(h.button->ButtonState(), int(TColorButton::StateDisabled));
    QTest::mouseRelease(h.button, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QCOMPARE(h.button->ButtonState(), int(TColorButton::StateDisabled));
    QCOMPARE(h.log, QStringList());
}

void TestColorButton::doubleClickClicksOnce()
{
    Host h;
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));
    // Through the window, so that the second press becomes the double click as it does on a desktop.
    QTest::mouseDClick(h.window.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       h.button->mapTo(&h.window, QPoint(20, 10)));
    QCOMPARE(h.log, QStringList({"down 1", "click", "up 1", "dblclick", "down 1", "up 1"}));
    QCOMPARE(h.button->ButtonState(), int(TColorButton::StateUp));
}

void TestColorButton::releaseOutsideDoesNotClick()
{
    Host h;
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));
    QTest::mousePress(h.button, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QTest::mouseRelease(h.button, Qt::LeftButton, Qt::NoModifier, QPoint(120, 10));
    QCOMPARE(h.log, QStringList({"down 1", "up 1"}));
    QCOMPARE(h.button->ButtonState(), int(TColorButton::StateUp));
}

void TestColorButton::movesWithButtonsHeld()
{
    QWidget window;
    window.resize(300, 100);
    auto *a = new TColorButton(&window);
    auto *b = new TColorButton(&window);
    a->setGeometry(10, 10, 75, 25);
    b->setGeometry(85, 10, 75, 25);
    QList<QPair<TColorButton *, QPoint>> moves;
    for (TColorButton *key : {a, b})
        QObject::connect(key, &TColorButton::OnMouseMove,
                         [&](TColorButton *sender, Qt::MouseButtons, Qt::KeyboardModifiers, QPoint pos) {
                             moves.append({sender, pos});
                         });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWindow *handle = window.windowHandle();

    // Right button: the key under the cursor reports, in its own coordinates.
    QTest::mousePress(handle, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
    moves.clear();
    QTest::mouseMove(handle, QPoint(100, 20));
    QTRY_VERIFY(!moves.isEmpty());
    QCOMPARE(moves.last().first, b);
    QCOMPARE(moves.last().second, QPoint(15, 10));
    moves.clear();
    // Off every key: nobody reports.
    QTest::mouseMove(handle, QPoint(200, 80));
    QTest::qWait(20);
    QCOMPARE(moves.size(), 0);
    QTest::mouseRelease(handle, Qt::RightButton, Qt::NoModifier, QPoint(200, 80));

    // Left button: the pressed key keeps reporting, outside its own rectangle.
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    moves.clear();
    QTest::mouseMove(handle, QPoint(100, 20));
    QTRY_VERIFY(!moves.isEmpty());
    QCOMPARE(moves.last().first, a);
    QCOMPARE(moves.last().second, QPoint(90, 10));
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, QPoint(100, 20));
}

void TestColorButton::contextPopup()
{
    Host h;
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));
    QMenu menu;
    menu.addAction(QStringLiteral("item"));
    h.button->SetPopupMenu(&menu);
    bool keepClosed = true;
    QList<QPoint> seen;
    QObject::connect(h.button, &TColorButton::OnContextPopup, [&](TColorButton *, QPoint pos, bool *handled) {
        seen << pos;
        *handled = keepClosed;
    });
    QContextMenuEvent first(QContextMenuEvent::Mouse, QPoint(5, 6), h.button->mapToGlobal(QPoint(5, 6)));
    QApplication::sendEvent(h.button, &first);
    QCOMPARE(seen, QList<QPoint>({QPoint(5, 6)}));
    QVERIFY(!menu.isVisible());

    keepClosed = false;
    QContextMenuEvent second(QContextMenuEvent::Mouse, QPoint(7, 8), h.button->mapToGlobal(QPoint(7, 8)));
    QApplication::sendEvent(h.button, &second);
    QCOMPARE(seen.size(), 2);
    QTRY_VERIFY(menu.isVisible());
    menu.close();
    QCOMPARE(h.log, QStringList());
}

// Where the platform asks for the menu on the right press (as here), the
// menu opens at the release, over the key the mouse is on then.
void TestColorButton::contextMenuWaitsForRightRelease()
{
    QWidget window;
    window.resize(300, 100);
    auto *a = new TColorButton(&window);
    auto *b = new TColorButton(&window);
    a->setGeometry(10, 10, 75, 25);
    b->setGeometry(85, 10, 75, 25);
    QMenu menu;
    menu.addAction(QStringLiteral("item"));
    QList<QPair<TColorButton *, QPoint>> asked;
    QList<TColorButton *> moved;
    for (TColorButton *key : {a, b}) {
        key->SetPopupMenu(&menu);
        QObject::connect(key, &TColorButton::OnContextPopup, [&](TColorButton *sender, QPoint pos, bool *) {
            asked.append({sender, pos});
        });
        QObject::connect(
            key, &TColorButton::OnMouseMove,
            [&](TColorButton *sender, Qt::MouseButtons, Qt::KeyboardModifiers, QPoint) { moved << sender; });
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWindow *handle = window.windowHandle();

    QTest::mousePress(handle, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
    QTest::qWait(20);
    QVERIFY(asked.isEmpty());
    QVERIFY(!menu.isVisible());
    QTest::mouseMove(handle, QPoint(100, 20));
    QTRY_VERIFY(moved.contains(b)); // the menu took nothing
    QTest::mouseRelease(handle, Qt::RightButton, Qt::NoModifier, QPoint(100, 20));
    QTRY_VERIFY(menu.isVisible());
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].first, b);
    QCOMPARE(asked[0].second, QPoint(15, 10));
    menu.close();

    // Released off every key: no key's menu.
    asked.clear();
    QTest::mousePress(handle, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
    QTest::mouseRelease(handle, Qt::RightButton, Qt::NoModifier, QPoint(200, 80));
    QTest::qWait(20);
    QVERIFY(asked.isEmpty());
    QVERIFY(!menu.isVisible());
}

void TestColorButton::accelerator()
{
    TColorButton b;
    QSignalSpy clicks(&b, &TColorButton::OnClick);
    b.SetCaption(QStringLiteral("&Line"));
    QVERIFY(!b.DialogChar(u'x'));
    QVERIFY(b.DialogChar(u'l'));
    QVERIFY(b.DialogChar(u'L'));
    QCOMPARE(clicks.count(), 2);
    b.setEnabled(false);
    QVERIFY(!b.DialogChar(u'l'));
    b.setEnabled(true);
    b.SetCaption(QStringLiteral("A&&B"));
    QVERIFY(!b.DialogChar(u'b'));
    QVERIFY(!b.DialogChar(u'&'));
    b.SetCaption(QStringLiteral("&Line"));
    b.SetStyle(b.Style() & ~TColorButton::TButtonStyle(TColorButton::bsSpeedKey));
    QVERIFY(!b.DialogChar(u'l'));
    QCOMPARE(clicks.count(), 2);
}

void TestColorButton::acceleratorKey()
{
    Host h;
    h.button->SetCaption(QStringLiteral("&Line"));
    h.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    QTest::keyClick(&h.window, Qt::Key_L, Qt::AltModifier);
    QCOMPARE(h.log, QStringList({"click"}));
    QTest::keyClick(&h.window, Qt::Key_K, Qt::AltModifier);
    h.button->setEnabled(false);
    QTest::keyClick(&h.window, Qt::Key_L, Qt::AltModifier);
    h.button->setEnabled(true);
    h.button->SetCaption(QStringLiteral("Line"));
    QTest::keyClick(&h.window, Qt::Key_L, Qt::AltModifier);
    QCOMPARE(h.log, QStringList({"click"}));
}

void TestColorButton::picture()
{
    QPixmap pm(20, 10);
    pm.fill(Qt::magenta);
    TColorButton b;
    b.resize(60, 40);
    b.SetColor(QColor(200, 200, 200));
    b.SetPicture(pm);
    QImage shot = Shot(b);
    // Centred at its own size.
    QCOMPARE(BoxOf(shot, Qt::magenta), QRect(20, 15, 20, 10));

    b.SetStyle(b.Style() | TColorButton::bsStretch);
    shot = Shot(b);
    QCOMPARE(BoxOf(shot, Qt::magenta), QRect(2, 2, 56, 36));

    b.SetStyle(TColorButton::TButtonStyle());
    b.SetAlignment(TColorButton::alBottomRight);
    shot = Shot(b);
    QCOMPARE(BoxOf(shot, Qt::magenta), QRect(60 - 4 - 20, 40 - 4 - 10, 20, 10));

    b.SetStyle(TColorButton::bsAutoSize);
    QCOMPARE(b.size(), QSize(24, 14));
}

void TestColorButton::hint()
{
    TColorButton b;
    b.SetHint(QStringLiteral("line 5"));
    QVERIFY(b.toolTip().isEmpty());
    b.SetShowHint(true);
    QCOMPARE(b.toolTip(), QStringLiteral("line 5"));
    b.SetShowHint(false);
    QVERIFY(b.toolTip().isEmpty());
    QCOMPARE(b.Hint(), QStringLiteral("line 5"));
}

void TestColorButton::deletedInHandler()
{
    QWidget window;
    window.resize(200, 100);
    auto *button = new TColorButton(&window);
    QPointer<TColorButton> watch(button);
    QObject::connect(button, &TColorButton::OnClick, [button] { delete button; });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QVERIFY(watch.isNull());
}

QTEST_MAIN(TestColorButton)
#include "test_colorbutton.moc"
