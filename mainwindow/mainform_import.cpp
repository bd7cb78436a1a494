// Imports of older files: an ACF file for both consoles, an old CFG file per
// console, and a UNI file with the console side files beside it.
#include "mainwindow/mainform.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "dialogue/dialogue.h"
#include "mainwindow/mainform_dialogue.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "records/oldimport.h"
#include "records/recordfile.h"
#include "records/sidefiles.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/windowlog.h"
#include "model/cardset.h"
#include "windows/novypult.h"
#include "windows/prompt.h"

std::function<int(QDialog &)> TMainForm1::CardTypeDialogExec;

namespace
{

// The open dialog's settings, put back when a file has been chosen.
class TDialogSettings
{
public:
    explicit TDialogSettings(QFileDialog &dialog)
        : dialog_(dialog), suffix_(dialog.defaultSuffix()), filters_(dialog.nameFilters()),
          title_(dialog.windowTitle())
    {
    }
    ~TDialogSettings()
    {
        dialog_.setDefaultSuffix(suffix_);
        dialog_.setNameFilters(filters_);
        dialog_.setWindowTitle(title_);
    }

private:
    QFileDialog &dialog_;
    QString suffix_;
    QStringList filters_;
    QString title_;
};

// Every way out of an import: no operation, and the windows' closing is over.
struct TImportEnd {
    TMainForm1 &form;
    ~TImportEnd()
    {
        form.AllConsolesClosed = 0;
        form.Dialogue().OperationMode = opmode::Idle;
    }
};

// Side-file dialogs of a configuration built apart: the window's own dialog.
class TApartHost : public TSideFileHost
{
public:
    explicit TApartHost(TFormDialogue &side) : side_(side) {}
    bool ChooseFile(const QString &title, const QString &defaultExtension, const QString &filter,
                    QString &fileName) override
    {
        return side_.ChooseSideFile(title, defaultExtension, filter, fileName);
    }

private:
    TFormDialogue &side_;
};

// A configuration built from side files apart from the open project, with
// cards, a system image and record buffers of its own.
struct TApartConfiguration {
    std::unique_ptr<TAPult> Config;
    TCardSet Cards;
    std::unique_ptr<TSystemImage> Image;
    std::unique_ptr<TPcRecord> Pc = std::make_unique<TPcRecord>();
    std::unique_ptr<TUniRecord> Uni = std::make_unique<TUniRecord>();
};

// The console set-up of a UNI set: a PC console for each side file beside
// the UNI file, with the screens its keys need; none when there is no side
// file. A damaged side file is reported when it is loaded.
std::unique_ptr<TAPult> ConsolesBesideUni(TMainForm1 &form, const QString &uniFile)
{
    TZoznam *list = form.Zoznam.get();
    const int pc = list ? list->XKey(1) * list->YKey(1) : form.KeysPerScreenPC;
    const int mech = list ? list->XKey(2) * list->YKey(2) : form.KeysPerScreenMech;
    const bool twoScreens = list && list->GetType() == 4;
    TConsoleSetup setup;
    bool any = false;
    for (int n = 0; n < ConsoleCount; ++n) {
        const QString file = PcConsoleFileName(uniFile, n);
        if (!QFileInfo(file).isFile())
            continue;
        any = true;
        int screens = 1;
        auto record = std::make_unique<TPcRecord>();
        InitPcRecord(*record);
        QString error;
        if (pc > 0 && ReadPcRecordFile(file, *record, error))
            screens = std::max(HighestUsedKey(*record, n), 0) / pc + 1;
        setup.Typ[std::size_t(n)] = 1;
        setup.Obrazovky[std::size_t(n)] = Byte(NastavChoice(1, screens, twoScreens, pc, mech).Value);
    }
    if (!any)
        return nullptr;
    auto config = CreateNewConfiguration(setup, QCoreApplication::applicationFilePath());
    FinishNewConfiguration(*config, false);
    return config;
}

// ACF import (isAcf) or CFG import. Every file is read, converted and loaded
// apart before the open project is touched: a file that cannot be imported
// leaves it as it was, with its console windows.
void ImportOldFiles(TMainForm1 &form, bool isAcf)
{
    TDialogue &engine = form.Dialogue();
    if (engine.OperationMode != opmode::Idle)
        return;
    form.MenuClick();
    form.ReclickSelectedCard();
    engine.OperationMode = isAcf ? opmode::ImportAcf : opmode::ImportCfg;
    const TImportEnd end{form};
    const QString projectBefore = form.ProjectName;
    const auto keepProject = [&] { form.ShowFileInCaption(projectBefore); };

    TImportRequest request;
    request.IsAcf = isAcf;
    std::unique_ptr<TAPult> config;
    form.ShowFileInCaption(LoadStrDll(2));
    if (isAcf) {
        QString name;
        if (!form.ChooseFileToOpen(QStringLiteral("acf"), QStringLiteral("*.acf|*.acf"),
                                   LoadStrDll(200) + QStringLiteral(" ACF ") + LoadStrDll(201), name))
            return keepProject();
        form.ShowFileInCaption(name);
        request.AcfFile = name;
        if (form.AskNewConsoleSetup(false, true, config) == 2)
            return keepProject();
    } else {
        if (form.AskNewConsoleSetup(false, true, config) == 2)
            return keepProject();
    }
    const TConsoleSetup setup = ConsoleSetupOf(*config);
    for (int c = 0; c < ConsoleCount; ++c)
        request.ConsoleTypes[std::size_t(c)] = setup.Typ[std::size_t(c)];
    if (!isAcf) {
        for (int c = 0; c < ConsoleCount; ++c) {
            if (request.ConsoleTypes[std::size_t(c)] == 0)
                continue;
            QString name;
            if (!form.ChooseFileToOpen(QStringLiteral("cfg"), QStringLiteral("*.cfg|*.cfg|*.cfz|*.cfz"),
                                       LoadStrDll(200) + QStringLiteral(" %1. CFG ").arg(c) + LoadStrDll(201), name))
                return keepProject();
            form.ShowFileInCaption(name);
            request.CfgFiles[std::size_t(c)] = name;
        }
    }

    const TCardTypeQuestion ask = [&form](int position, int line, Byte &second) {
        return form.CardTypeDialog(position, line, second);
    };
    TImportSet set;
    QString error;
    if (!PrepareImport(request, isAcf ? form.AcfRecord : form.OldCfgRecord, ask, set, error)) {
        form.ReportError(error);
        return keepProject();
    }
    if (form.Zoznam) {
        const Byte systemType = config->TypSystemu;
        TakeCardCodes(set, [&form, systemType](Byte code) { return CardCodeOf(*form.Zoznam, code, systemType); });
    }

    bool loaded = false;
    {
        const TImportFolder folder;
        if (!folder.IsValid()) {
            form.ReportError(recordfile::FileMessage(folder.Path(),
                                                     LoadStrDll(284) + QLatin1Char(' ') + folder.ErrorString()));
        } else {
            QStringList errors;
            const QString uni = WriteTempPultFiles(folder, set, errors);
            for (const QString &e : errors)
                form.ReportError(e);
            QString loadedName;
            loaded = !uni.isEmpty() && form.LoadUniConfig(uni, std::move(config), loadedName);
        }
    } // the temporary side files go with their folder, whatever happened
    if (!loaded)
        return keepProject();
    // The project has no file yet: the next save asks for its name.
    form.ProjectName = LoadStrDll(2);
    form.SaveFileName.clear();
    form.NewProjectFlag = 1;
    form.ModifiedFlag = 1;
    form.ShowFileInCaption(form.ProjectName);
}

} // namespace

bool TMainForm1::ChooseFileToOpen(const QString &suffix, const QString &filter, const QString &title, QString &name)
{
    QFileDialog &dialog = *OpenDialog1;
    const TDialogSettings settings(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(suffix);
    dialog.setNameFilters(NameFilters(filter));
    dialog.setWindowTitle(title);
    const QFileInfo proposal(name);
    if (!name.isEmpty() && proposal.absoluteDir().exists())
        dialog.setDirectory(proposal.absoluteDir());
    return RunFileDialog(dialog, name);
}

void TMainForm1::KonverziaACFClick() { ImportOldFiles(*this, true); }

void TMainForm1::KonverziaCFGClick() { ImportOldFiles(*this, false); }

void TMainForm1::readcfg1Click()
{
    TDialogue &engine = Dialogue();
    if (engine.OperationMode != opmode::Idle)
        return;
    MenuClick();
    ReclickSelectedCard();
    engine.OperationMode = opmode::ImportUni;
    const TImportEnd end{*this};

    // The console set-up comes from the UNI set itself, never from the
    // project open now; a board-type list that names a side file per console
    // asks for the set-up first, as the CFG import does.
    const bool perConsole = Zoznam && (Zoznam->GetType() & 4) != 0;
    std::unique_ptr<TAPult> config;
    QString uni;
    if (!perConsole) {
        TFormDialogue &side = DialogueSide();
        uni = side.SideFileProposal();
        if (!side.ChooseSideFile(LoadStrDll(200) + QStringLiteral(" UNI ") + LoadStrDll(201), QStringLiteral("uni"),
                                 QStringLiteral("*.uni|*.uni"), uni))
            return;
        config = ConsolesBesideUni(*this, uni);
    }
    if (!config && AskNewConsoleSetup(false, true, config) == 2)
        return;
    QString name;
    if (!LoadUniConfig(uni, std::move(config), name))
        return;
    // Named after its UNI file as a project: a save must not write the
    // project text over the UNI file.
    if (QFileInfo(name).suffix().compare(QLatin1String("uni"), Qt::CaseInsensitive) == 0)
        name = WithoutExtension(name) + QStringLiteral(".orv");
    ProjectName = name;
    SaveFileName.clear();
    ModifiedFlag = 1;
    ShowFileInCaption(ProjectName);
}

bool TMainForm1::LoadUniConfig(const QString &fileName, std::unique_ptr<TAPult> config, QString &loadedName)
{
    TDialogue &engine = Dialogue();
    const Byte saved = engine.OperationMode;
    if ((saved != opmode::Idle && saved != opmode::ImportAcf && saved != opmode::ImportCfg &&
         saved != opmode::ImportUni) ||
        !config || !Zoznam)
        return false;
    MenuClick();
    engine.OperationMode = opmode::ImportUni;
    struct TRestore {
        TDialogue &engine;
        Byte mode;
        ~TRestore() { engine.OperationMode = mode; }
    } restore{engine, saved};

    TApartConfiguration apart;
    apart.Image = std::make_unique<TSystemImage>(SystemImage);
    const TConsoleSetup setup = ConsoleSetupOf(*config);
    for (int n = 0; n < ConsoleCount; ++n) {
        apart.Image->ConsoleType(n) = setup.Typ[std::size_t(n)];
        apart.Image->ScreenCount(n) = setup.Obrazovky[std::size_t(n)];
    }
    apart.Config = std::move(config);
    InitPcRecord(*apart.Pc);
    InitUniRecord(*apart.Uni);
    const bool named = !fileName.isEmpty() && QFileInfo(fileName).isFile();
    loadedName = named ? fileName : DialogueSide().SideFileProposal();

    TWindowLog log(*this);
    TApartHost host(DialogueSide());
    TSideFileContext context{TConfigPlace(apart.Config),
                             *apart.Image,
                             *apart.Pc,
                             *apart.Uni,
                             *Zoznam,
                             apart.Cards,
                             log,
                             host,
                             loadedName,
                             Quiet(),
                             QCoreApplication::applicationFilePath()};
    QString rejected;
    int unconfigured = 0;
    if (!LoadSideFileSet(context, named, rejected, unconfigured) || !apart.Config)
        return false;

    // Whole now: the open project makes way. A save question answered with
    // Cancel keeps it, and this configuration goes.
    if (!CloseAllConsoles())
        return false;
    AllConsolesClosed = 1;
    APult = apart.Config.release();
    SystemImage = *apart.Image;
    PcRecord = *apart.Pc;
    UniRecord = *apart.Uni;
    TakeConsoleSetup();
    for (int slot = 0; slot < CardSlotCount; ++slot)
        if (std::unique_ptr<TCardOld> card = apart.Cards.TakeCard(slot))
            AddCardButton(std::move(card), slot);

    if (unconfigured > 0) {
        QString count = LoadStrDll(41);
        count.insert(std::max<int>(int(count.size()) - 1, 0), QString::number(unconfigured));
        QString text = count;
        if (!rejected.isEmpty())
            text = LoadStrDll(18) + QLatin1Char(' ') + LoadStrDll(74) + QStringLiteral("\r\n") + LoadStrDll(134) +
                   QStringLiteral(": ") + rejected + QStringLiteral("\r\n") + count;
        ReportError(text);
    }
    if (!Quiet())
        Nove(QStringLiteral("Pult"), LoadStrDll(18), false, APult);
    StatusBar1->SetText(0, LoadStrDll(71));
    return true;
}

Byte TMainForm1::CardTypeDialog(int boardPosition, int linePosition, Byte &second)
{
    second = 255;
    QString className;
    for (const QString &name : {QStringLiteral("T4W2Card"), QStringLiteral("T4W2")})
        if (className.isEmpty() && Registry::IsRegistered(name))
            className = name;
    if (className.isEmpty())
        return 255;
    std::unique_ptr<TCardOld> card = Registry::CreateCard(className);
    if (!card || card->TypLinCount() == 0)
        return 255;

    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("CardTypeDialog"));
    dialog.setWindowTitle(card->GetCardName());
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(LoadStrDll(322) + QLatin1Char(' ') + LinePosName(boardPosition) +
                                     QStringLiteral(" (%1)").arg(linePosition),
                                 &dialog));
    auto *row = new QHBoxLayout;
    layout->addLayout(row);
    QButtonGroup *groups[2] = {new QButtonGroup(&dialog), new QButtonGroup(&dialog)};
    for (int g = 0; g < 2; ++g) {
        auto *box = new QGroupBox(&dialog);
        box->setObjectName(QStringLiteral("CardTypeGroup%1").arg(g + 1));
        auto *column = new QVBoxLayout(box);
        for (int i = 0; i < card->TypLinCount(); ++i) {
            Byte code = 0;
            const QString name = card->GetTypLinName(Byte(i), code);
            auto *radio = new QRadioButton(
                QString::number(i) + QStringLiteral(". ") + name + QStringLiteral(": ") + card->GetHelpLin(Byte(i)),
                box);
            radio->setChecked(i == 0);
            groups[g]->addButton(radio, i);
            column->addWidget(radio);
        }
        row->addWidget(box);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    const int result = CardTypeDialogExec ? CardTypeDialogExec(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return 255;
    second = Byte(groups[1]->checkedId());
    return Byte(groups[0]->checkedId());
}
