#pragma once

#include <QDialog>
#include <QLabel>
#include <QList>

#include "editing/colorpalette.h"

class QFrame;
class QPushButton;
class QToolButton;

// One numbered swatch of the palette; a left press selects it.
class TColorSwatch : public QLabel
{
    Q_OBJECT
public:
    TColorSwatch(int number, QWidget *parent);
    const int Number;

signals:
    void Clicked(int number);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// The palette dialog: 91 numbered colours, a preview with the chosen colour's
// palette number, and a button to mix a colour of one's own (TCustomColor).
class TTColorDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TTColorDlg(QWidget *owner = nullptr);
    ~TTColorDlg() override;

    QWidget *Area = nullptr;     // the swatches, on teal
    QFrame *SidePanel = nullptr; // labels, preview and buttons
    QLabel *Label1 = nullptr;    // "Palette"
    QLabel *Label2 = nullptr;    // "Selected colour"
    QLabel *Preview = nullptr;   // the chosen colour with its palette number
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QToolButton *SpeedButton = nullptr; // opens TCustomColor
    QList<TColorSwatch *> Swatches;     // numbers 1..91

    // The chosen colour ($BBGGRR), the dialog's result; setting it presets it.
    TColorValue SelectColor() const { return selected_; }
    void SetSelectColor(TColorValue colour);

    // 13 columns by 7 rows over the area as it is now.
    void LayoutSwatches();
    void SwatchClick(int number);
    // The custom colour dialog with the current colour; OK takes its colour.
    void SpeedButtonClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPreview();
    TColorValue selected_ = 0;
};
