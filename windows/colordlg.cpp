#include "windows/colordlg.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "cardpack/dll_load.h"
#include "windows/colorbutton.h"
#include "windows/customcolors.h"

namespace
{

void fill(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// Black or white text, whichever reads on the colour.
QColor textOn(const QColor &colour)
{
    return qGray(colour.rgb()) < 128 ? Qt::white : Qt::black;
}

} // namespace

TColorSwatch::TColorSwatch(int number, QWidget *parent) : QLabel(parent), Number(number)
{
    setObjectName(QStringLiteral("Swatch%1").arg(number));
    setText(QString::number(number));
    setAlignment(Qt::AlignCenter);
    const QColor colour = ColorFromTColor(std::uint32_t(PaletteColor(number)));
    fill(this, colour);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, textOn(colour));
    setPalette(p);
}

void TColorSwatch::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit Clicked(Number);
    QLabel::mousePressEvent(event);
}

TTColorDlg::TTColorDlg(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TColorDlg"));
    setWindowTitle(LoadStrDll(256));
    setModal(true);

    Area = new QWidget(this);
    Area->setObjectName(QStringLiteral("Area"));
    fill(Area, QColor(0, 128, 128));
    Area->setMinimumSize(300, 200);
    Area->installEventFilter(this);

    SidePanel = new QFrame(this);
    SidePanel->setObjectName(QStringLiteral("SidePanel"));
    fill(SidePanel, palette().color(QPalette::Dark)); // the button-shadow colour
    Label1 = new QLabel(LoadStrDll(254), SidePanel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(LoadStrDll(255), SidePanel);
    Label2->setObjectName(QStringLiteral("Label2"));
    Preview = new QLabel(SidePanel);
    Preview->setObjectName(QStringLiteral("Preview"));
    Preview->setAlignment(Qt::AlignCenter);
    Preview->setMinimumSize(100, 60);
    SpeedButton = new QToolButton(SidePanel);
    SpeedButton->setObjectName(QStringLiteral("SpeedButton"));
    SpeedButton->setText(LoadStrDll(259));
    OKButton = new QPushButton(LoadStrDll(257), SidePanel);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(LoadStrDll(258), SidePanel);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto *side = new QVBoxLayout(SidePanel);
    side->addWidget(Label1);
    side->addWidget(Label2);
    side->addWidget(Preview);
    side->addWidget(SpeedButton);
    side->addStretch(1);
    side->addWidget(OKButton);
    side->addWidget(CancelButton);
    auto *main = new QHBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(Area, 1);
    main->addWidget(SidePanel);

    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(SpeedButton, &QToolButton::clicked, this, &TTColorDlg::SpeedButtonClick);

    for (int n = 1; n <= PaletteSize; ++n) {
        auto *swatch = new TColorSwatch(n, Area);
        connect(swatch, &TColorSwatch::Clicked, this, &TTColorDlg::SwatchClick);
        Swatches.append(swatch);
    }
    selected_ = 0; // black
    showPreview();
    resize(720 + SidePanel->sizeHint().width(), 390);
    LayoutSwatches();
}

TTColorDlg::~TTColorDlg()
{
    qDeleteAll(Swatches);
    Swatches.clear();
}

void TTColorDlg::SetSelectColor(TColorValue colour)
{
    selected_ = colour;
    showPreview();
}

void TTColorDlg::showPreview()
{
    const QColor colour = ColorFromTColor(std::uint32_t(selected_));
    fill(Preview, colour);
    QPalette p = Preview->palette();
    p.setColor(QPalette::WindowText, textOn(colour));
    Preview->setPalette(p);
    Preview->setText(PaletteName(selected_));
}

void TTColorDlg::LayoutSwatches()
{
    for (TColorSwatch *swatch : std::as_const(Swatches))
        swatch->setGeometry(SwatchRect(swatch->Number, Area->size()));
}

void TTColorDlg::SwatchClick(int number)
{
    const TColorValue colour = PaletteColor(number);
    if (colour != selected_)
        SetSelectColor(colour);
}

void TTColorDlg::SpeedButtonClick()
{
    auto *custom = new TCustomColor(this, TRGB_Color(selected_));
    if (custom->Execute())
        SetSelectColor(custom->SelectColor());
    delete custom;
}

bool TTColorDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Area && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        LayoutSwatches();
    return QDialog::eventFilter(watched, event);
}
