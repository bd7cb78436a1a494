#pragma once

#include <QDialog>

#include "editing/colorpalette.h"

class QLabel;
class QPushButton;
class QSlider;
class QFrame;

// Mixes a colour from red, green and blue sliders.
class TCustomColor : public QDialog
{
    Q_OBJECT
public:
    TCustomColor(QWidget *owner, const TRGB_Color &colour);

    QSlider *RedBar = nullptr;   // Tag 1
    QSlider *GreenBar = nullptr; // Tag 2
    QSlider *BlueBar = nullptr;  // Tag 3
    QLabel *RedLabel = nullptr;
    QLabel *GreenLabel = nullptr;
    QLabel *BlueLabel = nullptr;
    QLabel *PreviewLabel = nullptr;
    QFrame *Preview = nullptr;
    QLabel *ValueLine = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

    // Modal; true when it ends with OK.
    bool Execute();
    // The preview's colour ($BBGGRR).
    TColorValue SelectColor() const { return colour_.ToColor(); }
    TRGB_Color Rgb() const { return colour_; }

    // The value line in hexadecimal instead of decimal.
    bool HexDisplay() const { return hex_; }
    void SetHexDisplay(bool hex);

    // A slider moved: preview and value line follow.
    void BarChange();

private:
    TRGB_Color colour_;
    bool hex_ = false;
};
