#include "windows/wizard.h"

#include "cardpack/dll_load.h"
#include "platform/htmlhelp.h"
#include "windows/about.h"
#include "windows/helpviewer.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

const QList<TWizardButton> &WizardButtons()
{
    static const QList<TWizardButton> buttons = {
        {"BitBtn1", 2, WizardResultChoice, wcNewProject},
        {"BitBtn3", 38, WizardResultChoice, wcReadSystem},
        {"BitBtn4", 3, WizardResultChoice, wcOpenProject},
        {"BitBtn5", 4, WizardResultCancel, wcNone},
        {"BitBtn11", 202, 0, wcNone},
        {"BitBtn6", 177, WizardResultChoice, wcImportACF},
        {"BitBtn2", 23, WizardResultChoice, wcSettings},
        {"BitBtn7", 178, WizardResultChoice, wcImportCFG},
        {"BitBtn8", 179, WizardResultChoice, wcOpenUNI},
        {"BitBtn9", 117, 0, wcNone},
    };
    return buttons;
}

const TWizardButton *WizardButton(const QString &Name)
{
    for (const TWizardButton &b : WizardButtons())
        if (Name == QLatin1String(b.Name))
            return &b;
    return nullptr;
}

QStringList WizardChoiceButtonNames()
{
    return {QStringLiteral("BitBtn1"), QStringLiteral("BitBtn3"), QStringLiteral("BitBtn4"),
            QStringLiteral("BitBtn2"), QStringLiteral("BitBtn6"), QStringLiteral("BitBtn7"),
            QStringLiteral("BitBtn8")};
}

TWizard::TWizard(QWidget *parent) : QDialog(parent, Qt::Tool), FileVersion(ProgramFileVersion())
{
    setObjectName(QStringLiteral("Wizard"));
    setModal(true);

    verzia = new QLabel(this);
    verzia->setObjectName(QStringLiteral("verzia"));
    verzia->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox2 = new QGroupBox(this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));

    auto make = [this](QWidget *box, const char *name, QStyle::StandardPixmap icon) {
        auto *b = new QPushButton(box);
        b->setObjectName(QLatin1String(name));
        b->setIcon(style()->standardIcon(icon));
        b->setAutoDefault(false);
        b->setMinimumHeight(30);
        b->setStyleSheet(QStringLiteral("text-align: left; padding-left: 8px; padding-right: 8px;"));
        return b;
    };
    BitBtn1 = make(GroupBox1, "BitBtn1", QStyle::SP_FileIcon);
    BitBtn3 = make(GroupBox1, "BitBtn3", QStyle::SP_ArrowDown);
    BitBtn4 = make(GroupBox1, "BitBtn4", QStyle::SP_DialogOpenButton);
    BitBtn5 = make(this, "BitBtn5", QStyle::SP_DialogCloseButton);
    BitBtn11 = make(this, "BitBtn11", QStyle::SP_DialogHelpButton);
    BitBtn6 = make(GroupBox2, "BitBtn6", QStyle::SP_FileDialogDetailedView);
    BitBtn2 = make(GroupBox2, "BitBtn2", QStyle::SP_FileDialogContentsView);
    BitBtn7 = make(GroupBox2, "BitBtn7", QStyle::SP_FileDialogListView);
    BitBtn8 = make(GroupBox2, "BitBtn8", QStyle::SP_DriveFDIcon);
    BitBtn9 = make(this, "BitBtn9", QStyle::SP_MessageBoxInformation);

    auto *first = new QVBoxLayout(GroupBox1);
    first->addWidget(BitBtn1);
    first->addWidget(BitBtn3);
    first->addWidget(BitBtn4);
    first->addStretch();
    auto *tools = new QVBoxLayout(GroupBox2);
    tools->addWidget(BitBtn6);
    tools->addWidget(BitBtn7);
    tools->addWidget(BitBtn8);
    tools->addWidget(BitBtn2);
    auto *groups = new QHBoxLayout;
    groups->addWidget(GroupBox1, 1);
    groups->addWidget(GroupBox2, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(BitBtn9);
    bottom->addWidget(BitBtn11);
    bottom->addStretch();
    bottom->addWidget(verzia);
    bottom->addSpacing(12);
    bottom->addWidget(BitBtn5);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(bottom);
    setMinimumWidth(520);

    for (const TWizardButton &entry : WizardButtons()) {
        QPushButton *b = Button(QLatin1String(entry.Name));
        connect(b, &QPushButton::clicked, this, [this, &entry] { buttonClicked(entry); });
    }
    FormCreate();
}

void TWizard::FormCreate()
{
    for (const TWizardButton &entry : WizardButtons())
        Button(QLatin1String(entry.Name))->setText(LoadStrDll(entry.TextId));
    GroupBox2->setTitle(QStringLiteral(" ") + LoadStrDll(180) + QStringLiteral(" "));
}

QPushButton *TWizard::Button(const QString &Name) const
{
    QPushButton *const all[] = {BitBtn1, BitBtn3, BitBtn4, BitBtn5, BitBtn11, BitBtn6,
                                BitBtn2, BitBtn7, BitBtn8, BitBtn9};
    for (QPushButton *b : all)
        if (b->objectName() == Name)
            return b;
    return nullptr;
}

void TWizard::EnableChoices(bool Enable)
{
    for (const QString &name : WizardChoiceButtonNames())
        Button(name)->setEnabled(Enable);
}

void TWizard::buttonClicked(const TWizardButton &entry)
{
    if (entry.Choice != wcNone)
        choice_ = entry.Choice;
    if (entry.ModalResult != 0) {
        done(entry.ModalResult);
        return;
    }
    if (&entry == WizardButton(QStringLiteral("BitBtn9")))
        BitBtn9Click();
    else if (&entry == WizardButton(QStringLiteral("BitBtn11")))
        BitBtn11Click();
}

void TWizard::BitBtn9Click() { ShowAboutBox(this, FileVersion); }

void TWizard::BitBtn11Click() { ShowHelp(this, platform::HH_DISPLAY_TOPIC, 0); }
