#include "windows/ulozitprojekt.h"

#include "cardpack/dll_load.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

TUlozitProjekt::TUlozitProjekt(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("UlozitProjekt"));
    setModal(true);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(40, 40));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setWordWrap(true);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);

    auto make = [this](const char *name, const QString &text, QStyle::StandardPixmap icon, int result) {
        auto *b = new QPushButton(style()->standardIcon(icon), text, this);
        b->setObjectName(QLatin1String(name));
        b->setMinimumHeight(28);
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        return b;
    };
    BitBtn1 = make("BitBtn1", QStringLiteral("Save"), QStyle::SP_DialogSaveButton, UlozitSave);
    BitBtn2 = make("BitBtn2", QStringLiteral("Save as..."), QStyle::SP_DriveHDIcon, UlozitSaveAs);
    BitBtn3 = make("BitBtn3", QStringLiteral("Cancel"), QStyle::SP_DialogCancelButton, UlozitCancel);
    BitBtn1->setDefault(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(Label1, 0, 1);
    grid->addWidget(Label2, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn3);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(10);
    setMinimumWidth(420);
}

void TUlozitProjekt::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    BitBtn1->setFocus();
}

void FillSavePromptTexts(TUlozitProjekt &Prompt)
{
    Prompt.setWindowTitle(LoadStrDll(144));
    Prompt.BitBtn1->setText(LoadStrDll(145));
    Prompt.Label1->setText(LoadStrDll(146));
    Prompt.Label2->setText(LoadStrDll(147));
    Prompt.BitBtn3->setText(LoadStrDll(30));
}
