#include "windows/about.h"

#include "cardpack/dll_load.h"
#include "model/conversions.h"
#include "windows/asurllabel.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyle>
#include <QVBoxLayout>

#ifndef KELVARA_VERSION
#define KELVARA_VERSION "0.0.0"
#endif

QString ProgramFileVersion()
{
    QStringList parts = QString::fromLatin1(KELVARA_VERSION).split(u'.');
    while (parts.size() < 4)
        parts << QStringLiteral("0");
    return parts.mid(0, 4).join(u'.');
}

QString AboutVersionText(const QString &FileVersion) { return VersionText(FileVersion, false, true); }

void FillAbout(TAbout &About, const QString &FileVersion)
{
    About.Verzia->setText(AboutVersionText(FileVersion));
    About.popis->setText(LoadStrDll(192));
}

void ShowAboutBox(QWidget *parent, const QString &FileVersion)
{
    TAbout about(parent);
    FillAbout(about, FileVersion);
    about.exec();
}

TAbout::TAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About Kelvara"));
    setModal(true);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    static_cast<QFrame *>(Panel1)->setFrameShape(QFrame::StyledPanel);

    auto label = [this](const char *name, const QString &text = QString()) {
        auto *l = new QLabel(text, Panel1);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    Image1 = label("Image1");
    Image1->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    Image2 = label("Image2");
    Image2->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
    VerziaName = label("VerziaName", QStringLiteral("Kelvara"));
    QFont big = VerziaName->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    VerziaName->setFont(big);
    popis = label("popis");
    popis->setWordWrap(true);
    Verzia = label("Verzia");
    Label1 = label("Label1", QStringLiteral("Kelvara developers"));
    Label2 = label("Label2", QStringLiteral("Orva dispatcher systems"));
    Label5 = label("Label5", QStringLiteral("Linux"));
    Label6 = label("Label6", QStringLiteral("2026"));

    AsUrlLabel1 = new TAsUrlLabel(Panel1);
    AsUrlLabel1->setObjectName(QStringLiteral("AsUrlLabel1"));
    AsUrlLabel1->Link = QStringLiteral(" https://kelvara.example.org/ ");
    AsUrlLabel1->Normal.Caption = QStringLiteral("kelvara.example.org");
    AsUrlLabel1->Hover.Caption = AsUrlLabel1->Normal.Caption;
    AsUrlLabel1->ApplyNormal();

    auto *grid = new QGridLayout(Panel1);
    grid->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(VerziaName, 0, 1);
    grid->addWidget(Verzia, 1, 1);
    grid->addWidget(popis, 2, 1);
    grid->addWidget(Image2, 3, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(Label1, 3, 1);
    grid->addWidget(Label2, 4, 1);
    grid->addWidget(Label5, 5, 1);
    grid->addWidget(Label6, 6, 1);
    grid->addWidget(AsUrlLabel1, 7, 1);
    grid->setColumnStretch(1, 1);

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &TAbout::BtnOKClick);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addLayout(buttons);
    setMinimumWidth(380);
}
