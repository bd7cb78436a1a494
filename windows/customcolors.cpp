#include "windows/customcolors.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "cardpack/dll_load.h"
#include "windows/colorbutton.h"

TCustomColor::TCustomColor(QWidget *owner, const TRGB_Color &colour) : QDialog(owner), colour_(colour)
{
    setObjectName(QStringLiteral("CustomColor"));
    setWindowTitle(LoadStrDll(259));
    setModal(true);

    auto *grid = new QGridLayout(this);
    struct Bar {
        QSlider **slider;
        QLabel **label;
        int text;
        int tag;
        std::uint8_t value;
        const char *name;
    };
    const Bar bars[] = {{&RedBar, &RedLabel, 260, 1, colour.R, "RedBar"},
                        {&GreenBar, &GreenLabel, 261, 2, colour.G, "GreenBar"},
                        {&BlueBar, &BlueLabel, 262, 3, colour.B, "BlueBar"}};
    int row = 0;
    for (const Bar &b : bars) {
        *b.label = new QLabel(LoadStrDll(b.text), this);
        auto *slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QString::fromLatin1(b.name));
        slider->setRange(0, 255);
        slider->setValue(b.value);
        slider->setProperty("Tag", b.tag);
        slider->setMinimumWidth(256);
        *b.slider = slider;
        grid->addWidget(*b.label, row, 0);
        grid->addWidget(slider, row, 1);
        ++row;
        connect(slider, &QSlider::valueChanged, this, &TCustomColor::BarChange);
    }
    PreviewLabel = new QLabel(LoadStrDll(263), this);
    Preview = new QFrame(this);
    Preview->setObjectName(QStringLiteral("Preview"));
    Preview->setFrameShape(QFrame::Panel);
    Preview->setMinimumSize(120, 40);
    Preview->setAutoFillBackground(true);
    grid->addWidget(PreviewLabel, row, 0);
    grid->addWidget(Preview, row, 1);
    ++row;
    ValueLine = new QLabel(this);
    ValueLine->setObjectName(QStringLiteral("ValueLine"));
    grid->addWidget(ValueLine, row, 0, 1, 2);
    ++row;
    OKButton = new QPushButton(LoadStrDll(264), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(LoadStrDll(265), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    grid->addLayout(buttons, row, 0, 1, 2);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    BarChange();
}

bool TCustomColor::Execute()
{
    return exec() == QDialog::Accepted;
}

void TCustomColor::SetHexDisplay(bool hex)
{
    hex_ = hex;
    BarChange();
}

void TCustomColor::BarChange()
{
    colour_ = TRGB_Color(std::uint8_t(RedBar->value()), std::uint8_t(GreenBar->value()),
                         std::uint8_t(BlueBar->value()));
    QPalette p = Preview->palette();
    p.setColor(QPalette::Window, ColorFromTColor(std::uint32_t(colour_.ToColor())));
    Preview->setPalette(p);
    ValueLine->setText(
        ColorValueLine(colour_, RedLabel->text(), GreenLabel->text(), BlueLabel->text(), hex_));
}
