#include "windows/novypult.h"

#include "cardpack/dll_load.h"
#include "model/objekty.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

int ScreenLimit(int Type, int KeysPerScreenPC, int KeysPerScreenMech)
{
    int perScreen = 0;
    if (Type == 1)
        perScreen = KeysPerScreenPC;
    else if (Type == 2)
        perScreen = KeysPerScreenMech;
    else
        return 1;
    if (perScreen <= 0)
        return 1; // no grid known: one screen rather than a division by zero
    return (KeyCount + perScreen - 1) / perScreen;
}

TScreenChoice NastavChoice(int Type, int Value, bool TwoScreens, int KeysPerScreenPC, int KeysPerScreenMech)
{
    TScreenChoice c;
    c.Type = (TwoScreens && Type == 2) ? 1 : Type;
    c.SpinEnabled = c.Type != 0;
    if (TwoScreens) {
        c.Minimum = 2;
        c.Maximum = 2;
    } else {
        c.Minimum = 1;
        c.Maximum = ScreenLimit(c.Type, KeysPerScreenPC, KeysPerScreenMech);
    }
    c.Value = Value;
    if (c.Value > c.Maximum)
        c.Value = c.Maximum;
    if (c.Value < c.Minimum)
        c.Value = c.Minimum;
    return c;
}

std::unique_ptr<TAPult> CreateNewConfiguration(const TConsoleSetup &Setup, const QString &ProgramPath)
{
    auto config = std::make_unique<TAPult>(ProgramPath);
    for (int n = 0; n < ConsoleCount; ++n) {
        config->Pulty[n] = std::make_unique<TPult>();
        config->Pulty[n]->TypPultu = Setup.Typ[n];
        config->Pulty[n]->PocetObrazoviek = Setup.Obrazovky[n];
    }
    config->TypSystemu = 0;
    return config;
}

void ApplyConsoleChoice(TAPult &Config, int Console, const TScreenChoice &Choice)
{
    if (Console < 0 || Console >= ConsoleCount)
        return;
    if (!Config.Pulty[Console])
        Config.Pulty[Console] = std::make_unique<TPult>();
    Config.Pulty[Console]->TypPultu = Byte(Choice.Type);
    Config.Pulty[Console]->PocetObrazoviek = Byte(Choice.Value);
}

bool AnyConsoleConnected(const TAPult &Config)
{
    for (const auto &p : Config.Pulty)
        if (p && p->TypPultu != 0)
            return true;
    return false;
}

void FinishNewConfiguration(TAPult &Config, bool Prepojovac)
{
    Config.PocetPultov = 2;
    Config.TypSystemu = Prepojovac ? 1 : 0;
    Config.SetMBUBFlag(false, 0);
    for (auto &p : Config.Pulty) {
        if (!p)
            p = std::make_unique<TPult>();
        for (auto &k : p->Klavesy) {
            k = std::make_unique<TKlavesa>();
            k->Reset();
        }
    }
}

TConsoleSetup ConsoleSetupOf(const TAPult &Config)
{
    TConsoleSetup s;
    for (int n = 0; n < ConsoleCount; ++n) {
        if (!Config.Pulty[n])
            continue;
        s.Typ[n] = Config.Pulty[n]->TypPultu;
        s.Obrazovky[n] = Config.Pulty[n]->PocetObrazoviek;
    }
    return s;
}

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// Room for the whole caption, whatever the language.
void fitButton(QPushButton *b)
{
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 28);
}

} // namespace

TNovyPult::TNovyPult(QWidget *Owner, int KeysPerScreenPC, int KeysPerScreenMech, bool ShowSystem, bool TwoScreens,
                     const TConsoleSetup &Setup)
    : QDialog(Owner), FKeysPerScreenPC(KeysPerScreenPC), FKeysPerScreenMech(KeysPerScreenMech),
      FShowSystem(ShowSystem), FTwoScreens(TwoScreens)
{
    setObjectName(QStringLiteral("NovyPult"));
    setModal(true);

    Label2 = makeLabel(this, "Label2", QString());
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    Label6 = makeLabel(this, "Label6", QString());
    Label4 = makeLabel(this, "Label4", QString());
    Label5 = makeLabel(this, "Label5", QString());
    Label7 = makeLabel(this, "Label7", QString());

    auto *legend = new QGridLayout;
    legend->setHorizontalSpacing(8);
    QLabel *legendLabels[] = {Label6, Label4, Label5};
    for (int i = 0; i < 3; ++i) {
        legend->addWidget(legendLabels[i], i, 0);
        legend->addWidget(new QLabel(QString::number(i), this), i, 1);
    }
    legend->setColumnStretch(2, 1);

    auto *consoles = new QGridLayout;
    for (int n = 0; n < 2; ++n) {
        auto *box = new QGroupBox(QStringLiteral("Pult %1").arg(n), this);
        box->setObjectName(n == 0 ? QStringLiteral("RadioGroup1") : QStringLiteral("RadioGroup2"));
        box->setProperty("Tag", n);
        auto *row = new QHBoxLayout(box);
        groups_[n] = new QButtonGroup(box);
        for (int i = 0; i < 3; ++i) {
            auto *r = new QRadioButton(QString::number(i), box);
            r->setObjectName(QStringLiteral("%1Item%2").arg(box->objectName()).arg(i));
            groups_[n]->addButton(r, i);
            row->addWidget(r);
        }
        auto *s = new QSpinBox(this);
        s->setObjectName(n == 0 ? QStringLiteral("SpinEdit1") : QStringLiteral("SpinEdit2"));
        (n == 0 ? RadioGroup1 : RadioGroup2) = box;
        (n == 0 ? SpinEdit1 : SpinEdit2) = s;
        consoles->addWidget(box, 0, n);
        auto *spinRow = new QHBoxLayout;
        spinRow->setContentsMargins(8, 0, 0, 0);
        if (n == 0)
            spinRow->addWidget(Label7);
        spinRow->addWidget(s);
        spinRow->addStretch();
        consoles->addLayout(spinRow, 1, n);
        connect(groups_[n], &QButtonGroup::idClicked, this, [this, n] { Nastav(n); });
    }

    pSystemZP = new QWidget(this);
    pSystemZP->setObjectName(QStringLiteral("pSystemZP"));
    pSystemZP->setAutoFillBackground(true);
    QPalette pal = pSystemZP->palette();
    pal.setColor(QPalette::Window, QColor(0xA6, 0xFF, 0xA6));
    pSystemZP->setPalette(pal);
    lSystem = makeLabel(pSystemZP, "lSystem", QString());
    lSystem->setFont(bold);
    rbZapojovac = new QRadioButton(pSystemZP);
    rbZapojovac->setObjectName(QStringLiteral("rbZapojovac"));
    rbZapojovac->setChecked(true);
    rbPrepojovac = new QRadioButton(pSystemZP);
    rbPrepojovac->setObjectName(QStringLiteral("rbPrepojovac"));
    lSystemHint = makeLabel(pSystemZP, "lSystemHint", QString());
    lSystemHint->setWordWrap(true);
    auto *sys = new QGridLayout(pSystemZP);
    sys->addWidget(lSystem, 0, 0);
    sys->addWidget(rbZapojovac, 0, 1);
    sys->addWidget(rbPrepojovac, 0, 2);
    sys->addWidget(lSystemHint, 1, 0, 1, 3);
    sys->setColumnStretch(3, 1);

    Nacitanie = new QPushButton(this);
    Nacitanie->setObjectName(QStringLiteral("Nacitanie"));
    BezCitania = new QPushButton(this);
    BezCitania->setObjectName(QStringLiteral("BezCitania"));
    Koniec = new QPushButton(this);
    Koniec->setObjectName(QStringLiteral("Koniec"));
    for (QPushButton *b : {Nacitanie, BezCitania, Koniec}) {
        b->setAutoDefault(false);
        b->setMinimumHeight(28);
        b->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    }
    connect(Nacitanie, &QPushButton::clicked, this, [this] {
        NacitanieClick();
        done(NovyPultRead);
    });
    connect(BezCitania, &QPushButton::clicked, this, [this] {
        NacitanieClick();
        done(NovyPultNoRead);
    });
    connect(Koniec, &QPushButton::clicked, this, [this] { done(NovyPultCancel); });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Nacitanie);
    buttons->addWidget(BezCitania);
    buttons->addStretch();
    buttons->addWidget(Koniec);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addLayout(legend);
    layout->addLayout(consoles);
    layout->addWidget(pSystemZP);
    layout->addStretch();
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize); // never clip the captions

    FormCreate(Setup);
    ShowSetup(Setup);
    adjustSize(); // fit the captions just set
}

TNovyPult::~TNovyPult() = default;

void TNovyPult::FormCreate(const TConsoleSetup &Setup)
{
    pSystemZP->setVisible(FShowSystem);
    for (int n = 0; n < 2; ++n) {
        QSpinBox *s = spin(n);
        if (FTwoScreens) {
            s->setRange(2, 2);
            s->setValue(2);
        } else {
            s->setRange(1, ScreenLimit(RadioIndex(n), FKeysPerScreenPC, FKeysPerScreenMech));
        }
    }
    Label2->setText(LoadStrDll(116) + u':');
    Label4->setText(LoadStrDll(9) + u':');
    Label5->setText(LoadStrDll(10) + u':');
    Label6->setText(LoadStrDll(7) + u':');
    Label7->setText(LoadStrDll(11));
    Nacitanie->setText(LoadStrDll(8));
    BezCitania->setText(LoadStrDll(5));
    Koniec->setText(LoadStrDll(120));
    for (QPushButton *b : {Nacitanie, BezCitania, Koniec})
        fitButton(b);
    lSystem->setText(LoadStrDll(243));
    rbZapojovac->setText(LoadStrDll(244));
    rbPrepojovac->setText(LoadStrDll(245));
    lSystemHint->setText(LoadStrDll(219));
    if (windowTitle().isEmpty())
        setWindowTitle(LoadStrDll(15));
    FNovaKonfiguracia = CreateNewConfiguration(Setup, QCoreApplication::applicationFilePath());
}

int TNovyPult::RadioIndex(int Console) const
{
    const int id = groups_[Console]->checkedId();
    return id < 0 ? 0 : id;
}

void TNovyPult::SetRadioIndex(int Console, int Index)
{
    if (QAbstractButton *b = groups_[Console]->button(Index))
        b->setChecked(true);
}

void TNovyPult::ShowSetup(const TConsoleSetup &Setup)
{
    for (int n = 0; n < 2; ++n) {
        QSpinBox *s = spin(n);
        const TScreenChoice c = NastavChoice(Setup.Typ[n], Setup.Obrazovky[n], FTwoScreens, FKeysPerScreenPC,
                                             FKeysPerScreenMech);
        s->setRange(c.Minimum, c.Maximum);
        s->setValue(c.Value);
        SetRadioIndex(n, Setup.Typ[n] <= 2 ? Setup.Typ[n] : 0);
        Nastav(n);
    }
}

void TNovyPult::ApplyButtonFlags(bool ShowFirst, bool ShowSecond)
{
    if (!ShowFirst) {
        BezCitania->hide();
        Nacitanie->setText(LoadStrDll(31));
        fitButton(Nacitanie);
    }
    if (!ShowSecond) {
        Koniec->setText(LoadStrDll(30));
        fitButton(Koniec);
    }
    adjustSize();
}

void TNovyPult::Nastav(int Console)
{
    QSpinBox *s = spin(Console);
    const TScreenChoice c =
        NastavChoice(RadioIndex(Console), s->value(), FTwoScreens, FKeysPerScreenPC, FKeysPerScreenMech);
    if (c.Type != RadioIndex(Console))
        SetRadioIndex(Console, c.Type);
    s->setEnabled(c.SpinEnabled);
    s->setRange(c.Minimum, c.Maximum);
    s->setValue(c.Value);
    if (FNovaKonfiguracia) {
        ApplyConsoleChoice(*FNovaKonfiguracia, Console, c);
        const bool go = AnyConsoleConnected(*FNovaKonfiguracia);
        Nacitanie->setEnabled(go);
        BezCitania->setEnabled(go);
    }
}

void TNovyPult::NacitanieClick()
{
    if (!FNovaKonfiguracia)
        return;
    FinishNewConfiguration(*FNovaKonfiguracia, rbPrepojovac->isChecked());
    Nastav(0);
    Nastav(1);
}

void TNovyPult::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        done(NovyPultCancel);
        return;
    }
    QDialog::keyReleaseEvent(event);
}
