// The program under test, its folder and fixture files, the answers to its
// questions and dialogs, and the checks after every step.
#include "tests/sequence/rig.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <cstdio>

#include <sys/stat.h>

#include "cardpack/dll_load.h"
#include "editing/keybinding.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainform_dialogue.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "model/reporter.h"
#include "platform/handover.h"
#include "platform/programfolder.h"
#include "records/oldimport.h"
#include "records/pcrecord.h"
#include "records/sidefiles.h"
#include "tests/comm/ptypeer.h"
#include "tests/fixture/fixture.h"
#include "tests/fixture/oldfiles.h"
#include "tests/records/oldrecords.h"
#include "windows/mdichild.h"
#include "windows/nastav.h"
#include "windows/novypult.h"
#include "windows/reportform.h"
#include "windows/wizard.h"

namespace sequence
{

namespace
{

QStringList programArguments()
{
    return {QStringLiteral("kelvara")};
}

bool writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Which file a name stands for, and when it was last written: a save writes a
// new file in the old one's place, also when its bytes are the same.
QByteArray fileStamp(const QString &name)
{
    struct stat st {};
    if (::stat(QFile::encodeName(name).constData(), &st) != 0)
        return {};
    return QByteArray::number(qulonglong(st.st_ino)) + ':' + QByteArray::number(qlonglong(st.st_mtim.tv_sec)) +
           '.' + QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
}

// The fixture with only the card types the card package knows, and no
// board left in a slot whose card went.
std::unique_ptr<TAPult> fixtureProject()
{
    auto cfg = fixture::BuildFixture();
    // The fixture's keys that no editing makes: a key on a line whose
    // extended lines carry keys, and a key bound under the name "nekonf".
    TPult &p0 = *cfg->Pulty[0];
    p0.Klavesy[4] = std::make_unique<TKlavesa>();
    p0.Dosky[1]->Linky[1]->Klavesa = 253;
    p0.Klavesy[10] = std::make_unique<TKlavesa>();
    for (int s = 2; s < BoardCount; ++s) {
        cfg->SlotyDosiek[s].Meno.clear();
        cfg->SlotyDosiek[s].Kod = 255;
        for (auto &p : cfg->Pulty) {
            if (!p)
                continue;
            p->Dosky[s].reset();
            for (auto &k : p->Klavesy)
                if (k && k->HWPozicDosky == s)
                    k = std::make_unique<TKlavesa>();
        }
    }
    return cfg;
}

// Where a box's text comes from, when it is one of the questions that matter.
QString boxName(const QString &text)
{
    static const QList<QPair<int, const char *>> known = {
        {33, "the save question"}, {36, "the board removal question"}, {122, "the capacity question"}};
    for (const auto &[number, name] : known)
        if (text.startsWith(LoadStrDll(number)))
            return QString::fromLatin1(name);
    QString shown = text.simplified();
    if (shown.size() > 60)
        shown = shown.left(57) + QStringLiteral("...");
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

QString buttonName(int button)
{
    switch (button) {
    case TPrompt::Ok:
        return QStringLiteral("OK");
    case TPrompt::Cancel:
        return QStringLiteral("Cancel");
    case TPrompt::Abort:
        return QStringLiteral("Abort");
    case TPrompt::Retry:
        return QStringLiteral("Retry");
    case TPrompt::Ignore:
        return QStringLiteral("Ignore");
    case TPrompt::Yes:
        return QStringLiteral("Yes");
    case TPrompt::No:
        return QStringLiteral("No");
    }
    return QString::number(button);
}

// The model's reports while the checks read a text back: they are no boxes of the program.
class TQuietReports : public TModelReporter
{
public:
    TQuietReports() : previous_(ModelReporter()) { SetModelReporter(this); }
    ~TQuietReports() override { SetModelReporter(previous_); }
    void Report(TReportKind, const QString &) override {}

private:
    TModelReporter *previous_;
};

} // namespace

namespace
{

// A text as the project file keeps it: without trailing blanks.
QString kept(const QString &text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ')
        --n;
    return text.left(n);
}

} // namespace

QByteArray WorkText(const TAPult *cfg)
{
    if (!cfg)
        return QByteArray();
    QStringList out;
    out << QStringLiteral("system %1, ring %2, DORST %3, %4 consoles")
               .arg(cfg->TypSystemu)
               .arg(cfg->CasUkonceniaVyzvanania)
               .arg(cfg->RezimDORST)
               .arg(cfg->PocetPultov);
    for (int s = 0; s < BoardCount; ++s)
        if (!cfg->SlotyDosiek[s].Meno.isEmpty() || cfg->SlotyDosiek[s].Kod != 255)
            out << QStringLiteral("slot %1: %2 %3")
                       .arg(s)
                       .arg(kept(cfg->SlotyDosiek[s].Meno))
                       .arg(cfg->SlotyDosiek[s].Kod);
    for (int r = 0; r < FlagRecordCount; ++r)
        out << QStringLiteral("flags %1: %2")
                   .arg(r)
                   .arg(BytesToHex(cfg->TabulkaPriznakov[r].data(), FlagRecordSize));
    for (int c = 0; c < ConsoleCount; ++c) {
        const TPult *p = cfg->Pulty[c].get();
        if (!p) {
            out << QStringLiteral("Pult%1: none").arg(c);
            continue;
        }
        out << QStringLiteral("Pult%1: type %2, %3 screens, function number %4")
                   .arg(c)
                   .arg(p->TypPultu)
                   .arg(p->PocetObrazoviek)
                   .arg(kept(p->FNGSMR));
        for (int k = 0; k < KeyCount; ++k) {
            const TKlavesa *key = p->Klavesy[k].get();
            if (!key)
                continue;
            if (IsConfiguredKey(key))
                out << QStringLiteral(
                           "Pult%1 key %2: \"%3\" \"%4\" line \"%5\" type %6 board %7 at %8/%9/%10 lamp %11 "
                           "subscriber %12 handling %13 bits %14 dial %15 colour %16 %17 %18 %19")
                           .arg(c)
                           .arg(k)
                           .arg(kept(key->MenoKlavesy), kept(key->HintKlavesy), kept(key->MenoLinky))
                           .arg(key->TypLinky)
                           .arg(key->KodDosky)
                           .arg(key->HWPozicDosky)
                           .arg(key->PozicLinky)
                           .arg(key->PozicRLinky)
                           .arg(key->Led)
                           .arg(key->CisloUcastnika)
                           .arg(key->ObsluhaKlavesy)
                           .arg(key->bitovyByte)
                           .arg(key->Volba)
                           .arg(key->TextColor)
                           .arg(BytesToHex(key->SkratenaVolba.data(), 27),
                                BytesToHex(key->MSNpriznak.data(), 3), BytesToHex(key->MSNcislo.data(), 12));
            else if (!kept(key->MenoKlavesy).isEmpty() || !kept(key->HintKlavesy).isEmpty())
                out << QStringLiteral("Pult%1 key %2: free \"%3\" \"%4\"")
                           .arg(c)
                           .arg(k)
                           .arg(kept(key->MenoKlavesy), kept(key->HintKlavesy));
        }
        for (int s = 0; s < BoardCount; ++s) {
            const TDoska *b = p->Dosky[s].get();
            if (!b)
                continue;
            // A board's name, code and line count come from the slot's card,
            // filled in when its console shows the card: they count with a binding.
            bool bound = false;
            for (const auto &line : b->Linky)
                bound = bound || (line && line->Klavesa != 255);
            if (bound)
                out << QStringLiteral("Pult%1 slot %2: board %3 %4, %5 lines")
                           .arg(c)
                           .arg(s)
                           .arg(kept(b->MenoDosky))
                           .arg(b->CisloDosky)
                           .arg(b->PocetLiniek);
            // A free line's name and type are the card's to show; only bindings count.
            for (int l = 0; l < LineCount; ++l) {
                const TLinka *line = b->Linky[l].get();
                if (!line)
                    continue;
                if (line->Klavesa != 255)
                    out << QStringLiteral("Pult%1 slot %2 line %3: key %4 type %5")
                               .arg(c)
                               .arg(s)
                               .arg(l)
                               .arg(line->Klavesa)
                               .arg(line->CisloLinky);
                for (int e = 0; e < ExtLineCount; ++e)
                    if (const TRLinka *ext = line->RLinky[e].get(); ext && ext->Klavesa != 255)
                        out << QStringLiteral("Pult%1 slot %2 line %3 ext %4: key %5 type %6")
                                   .arg(c)
                                   .arg(s)
                                   .arg(l)
                                   .arg(e)
                                   .arg(ext->Klavesa)
                                   .arg(ext->CisloRLinky);
            }
        }
        for (int n = 0; n < PhoneCount; ++n)
            if (const TTelZoznam *t = p->TelZoznam[n].get();
                t && (!kept(t->Meno).isEmpty() || !kept(t->Cislo).isEmpty()))
                out << QStringLiteral("Pult%1 phone %2: \"%3\" %4")
                           .arg(c)
                           .arg(n)
                           .arg(kept(t->Meno), kept(t->Cislo));
    }
    return out.join(u'\n').toUtf8();
}

QByteArray TRig::WorkOfText(const QByteArray &text)
{
    const QString name = scratchDir_ + QStringLiteral("/work.orv");
    if (!writeFile(name, text))
        return QByteArrayLiteral("(cannot be written)");
    const TQuietReports quiet;
    TAPult cfg(QCoreApplication::applicationFilePath());
    try {
        if (cfg.LoadFromFile(name) != 1)
            return WorkText(&cfg);
    } catch (const std::exception &) {
    }
    return QByteArrayLiteral("(cannot be read)");
}

QString FirstDifference(const QByteArray &a, const QByteArray &b)
{
    const QList<QByteArray> x = a.split('\n'), y = b.split('\n');
    for (qsizetype i = 0; i < std::max(x.size(), y.size()); ++i)
        if (x.value(i) != y.value(i))
            return QStringLiteral("line %1: \"%2\" against \"%3\"")
                .arg(i + 1)
                .arg(QString::fromLatin1(x.value(i).trimmed()), QString::fromLatin1(y.value(i).trimmed()));
    return QStringLiteral("the same lines");
}

int TChoosingPrompt::Ask(Kind kind, const QString &text, Buttons buttons, const QString &)
{
    return rig_.AnswerBox(kind, text, buttons);
}

// ---- the program and its folder ---------------------------------------------------------------

TRig::TRig()
{
    fixture::LoadLanguage();
    if (HInstDll <= 32 || !MakeFolder())
        return;
    promptScope_ = std::make_unique<TPromptScope>(&prompt_);

    TMainForm1::FileDialogExec = [this](QFileDialog &dialog, QString &name) {
        return AnswerFile(dialog, name);
    };
    TMainForm1::SettingsDialogExec = [this](TNastav1 &dialog) { return AnswerSettings(dialog); };
    TMainForm1::StartDialogExec = [this](TWizard &dialog) { return AnswerStart(dialog); };
    // No four-wire card of two line types is registered: the question never comes.
    TMainForm1::CardTypeDialogExec = [this](QDialog &) {
        Say(QStringLiteral("card-type question -> cancel"));
        return int(QDialog::Rejected);
    };
    TReportForm::Exec = [this](TReportForm &) {
        Say(QStringLiteral("report shown"));
        return int(QDialog::Accepted);
    };

    // The running copy's end of the hand-over, as the program entry makes it.
    server_ = std::make_unique<HandOver::TServer>([this](const QString &name) {
        if (form_)
            form_->Guard("WMCopyData", [this, &name] { form_->HandOverFile(name); });
        handOverDone_ = true;
    });
    if (!server_->Listen(socketPath_))
        return;
    ok = StartProgram();
}

TRig::~TRig()
{
    StopWatching();
    delete sender_;
    sender_ = nullptr;
    EndProgram();
    server_.reset();
    TMainForm1::FileDialogExec = nullptr;
    TMainForm1::SettingsDialogExec = nullptr;
    TMainForm1::StartDialogExec = nullptr;
    TMainForm1::CardTypeDialogExec = nullptr;
    TReportForm::Exec = nullptr;
    promptScope_.reset();
    platform::SetProgramFolder(QString());
}

bool TRig::MakeFolder()
{
    if (!dir_.isValid())
        return false;
    programDir_ = dir_.filePath(QStringLiteral("program"));
    projectDir_ = dir_.filePath(QStringLiteral("projects"));
    importDir_ = dir_.filePath(QStringLiteral("import"));
    scratchDir_ = dir_.filePath(QStringLiteral("scratch"));
    socketPath_ = dir_.filePath(QStringLiteral("handover"));
    for (const QString &d : {programDir_, projectDir_, importDir_ + QStringLiteral("/uni"), scratchDir_})
        if (!QDir().mkpath(d))
            return false;
    platform::SetProgramFolder(programDir_);

    // COM2 is a port that opens; every other port names no device.
    port_ = std::make_unique<PtyPeer>();
    for (int n = 1; n <= 8; ++n) {
        const QString device =
            n == 2 && port_->Ok() ? port_->slavePath : dir_.filePath(QStringLiteral("no-tty"));
        qputenv(qPrintable(QStringLiteral("KELVARA_COM%1").arg(n)), device.toLocal8Bit());
    }
    WriteFixtures();
    return true;
}

void TRig::WriteFixtures()
{
    // Three projects: the fixture, the same with other key names, and the
    // fixture in the older 2.0 layout.
    fixtureProject()->SaveToFile(projectDir_ + QStringLiteral("/stanica.orv"));
    auto other = fixtureProject();
    for (int c = 0; c < ConsoleCount; ++c)
        for (auto &k : other->Pulty[c]->Klavesy)
            if (k && !k->MenoKlavesy.isEmpty())
                k->MenoKlavesy = QStringLiteral("Iná ") + k->MenoKlavesy.left(8);
    other->SaveToFile(projectDir_ + QStringLiteral("/druha.orv"));
    writeFile(projectDir_ + QStringLiteral("/stara.orv"),
              OldProjectText(*fixtureProject(), QStringLiteral("2.0"), true));

    // Older console files: keys on lines 2 and 4 of a UL10 in slot 0.
    const auto keys = [](bool acf, int console) {
        oldfile::Builder b(acf);
        b.Board(0, 71).KeyLine(console, 32, 2).KeyLine(console, 37, 4);
        if (!acf)
            b.Name(32, "ABC").Hint(32, "Line two").Name(37, "DEF").Hint(37, "Line four");
        return b.Bytes();
    };
    writeFile(importDir_ + QStringLiteral("/stara.acf"), keys(true, 0));
    writeFile(importDir_ + QStringLiteral("/pult0.cfg"), keys(false, 0));
    oldfile::Builder second(false);
    second.Board(0, 71).Board(1, 71).KeyLine(1, 32, 7).KeyLine(1, 37, 4).Name(32, "GHI");
    writeFile(importDir_ + QStringLiteral("/pult1.cfg"), second.Bytes());

    // A UNI file with the side file of its PC console 0 beside it.
    TOldRecord parsed;
    TPcRecord pc;
    TUniRecord uni;
    InitUniRecord(uni);
    QString error;
    if (parsed.FromBytes(keys(false, 0), false) == RecordResult::Ok &&
        ConvertOldCfgRecord(parsed, pc, uni, nullptr, error)) {
        for (int c = 0; c < ConsoleCount; ++c)
            WriteRecordFile(importDir_ + QStringLiteral("/uni/stanica_%1.cfg").arg(c), pc.ToBytes(), true,
                            error);
        WriteRecordFile(importDir_ + QStringLiteral("/uni/stanica.uni"), uni.ToBytes(), false, error);
    }
}

bool TRig::StartProgram()
{
    form_ = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
    TMainForm1 &form = *form_;
    // The command line is read at the first activation: here there is none.
    form.FirstActivation = 0;
    form.Arguments = programArguments;
    form.resize(1200, 900);
    form.DialogueSide().NovyPultExec = [this](TNovyPult &dialog) { return AnswerNewConsole(dialog); };
    form.DialogueSide().ChooseFileExec = [this](const QString &, const QString &, QString &name) {
        return AnswerUni(name);
    };
    QObject::connect(form.TimerStatus, &QTimer::timeout, &form, [this] { ++ticks_; });
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return false;
    ActivateForm();
    logSeen_ = int(form.Memo1->toPlainText().size());
    lastFile_.clear();
    baseline_.clear();
    return true;
}

void TRig::EndProgram()
{
    if (!form_)
        return;
    form_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QByteArray TRig::Normalized(const QByteArray &text)
{
    if (const auto it = normalized_.constFind(text); it != normalized_.constEnd())
        return *it;
    const QString name = scratchDir_ + QStringLiteral("/readback.orv");
    QByteArray result = QByteArrayLiteral("(cannot be read back)");
    if (writeFile(name, text)) {
        const TQuietReports quiet;
        TAPult cfg(QCoreApplication::applicationFilePath());
        try {
            if (cfg.LoadFromFile(name) != 1)
                result = cfg.ProjectText();
        } catch (const std::exception &) {
        }
    }
    normalized_.insert(text, result);
    return result;
}

QHash<QString, QByteArray> TRig::ProjectFiles() const
{
    // The project folder, and the folder of the UNI file a project is named after.
    QHash<QString, QByteArray> files;
    for (const QDir &d : {QDir(projectDir_), QDir(importDir_ + QStringLiteral("/uni"))})
        for (const QString &name : d.entryList({QStringLiteral("*.orv")}, QDir::Files))
            files.insert(d.filePath(name), readFile(d.filePath(name)));
    return files;
}

TState TRig::Snapshot()
{
    TState s;
    if (!form_)
        return s;
    s.alive = form_->isVisible();
    s.port = form_->PortNumber;
    s.projectName = form_->ProjectName;
    s.saveFile = form_->SaveFileName;
    const TAPult *cfg = form_->APult;
    s.config = cfg;
    s.loaded = cfg != nullptr;
    if (cfg) {
        for (const auto &p : cfg->Pulty)
            s.consoles = s.consoles || p;
        s.text = cfg->ProjectText();
        s.work = WorkText(cfg);
    }
    s.unsaved = s.consoles && (lastFile_.isEmpty() || s.work != baseline_);
    for (TMDIChild *w : Windows())
        s.windows << QStringLiteral("Pult%1:%2/%3").arg(w->ConsoleNo).arg(w->ConsoleType).arg(w->Tag);
    s.windows.sort();
    return s;
}

void TRig::Settle()
{
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
}

void TRig::Say(const QString &text)
{
    said_ << text;
    if (live) {
        std::fputs(qPrintable(QStringLiteral("  > ") + text + u'\n'), stdout);
        std::fflush(stdout);
    }
}

// ---- answers ----------------------------------------------------------------------------------

int TRig::AnswerBox(TPrompt::Kind kind, const QString &text, TPrompt::Buttons buttons)
{
    QList<int> offered;
    for (int b : {TPrompt::Ok, TPrompt::Yes, TPrompt::No, TPrompt::Cancel, TPrompt::Retry, TPrompt::Abort,
                  TPrompt::Ignore})
        if (buttons & TPrompt::Bit(TPrompt::Button(b)))
            offered << b;
    if (offered.isEmpty())
        offered << TPrompt::Ok;
    const int answer = chooser_ ? offered[Pick(int(offered.size()))] : offered[0];
    boxes_ << TBox{kind, text, buttons, answer};
    Say(boxName(text) + QStringLiteral(" -> ") + buttonName(answer));
    // A Cancel of a question that a file handed over meanwhile asked is that hand-over's.
    if (text == LoadStrDll(33) && answer == TPrompt::Cancel && !inBox_)
        saveCancelled_ = true;
    // Now and then a second copy hands a file over while the box is open.
    if (!sender_ && !inBox_ && Chance(8)) {
        inBox_ = true;
        StartHandOver(QStringLiteral("meanwhile "));
        QElapsedTimer clock;
        clock.start();
        while (!handOverDone_ && clock.elapsed() < 1000)
            QTest::qWait(5);
        inBox_ = false;
    }
    // A box stays open for a while, its own event loop running; a second
    // copy that waits for the hand-over may give up meanwhile.
    if (sender_ && senderGivesUp_) {
        senderGivesUp_ = false;
        Say(QStringLiteral("the second copy stops waiting"));
        sender_->abort();
        QTest::qWait(100);
    } else if (form_ && form_->TimerStatus->isActive()) {
        // Long enough for one status tick, as a box the engineer reads.
        const int seen = ticks_;
        QElapsedTimer clock;
        clock.start();
        while (ticks_ == seen && form_->TimerStatus->isActive() && clock.elapsed() < 400)
            QTest::qWait(5);
    }
    return answer;
}

int TRig::AnswerFile(QFileDialog &dialog, QString &name)
{
    const QString suffix = dialog.defaultSuffix();
    QStringList choices;
    if (dialog.acceptMode() == QFileDialog::AcceptSave) {
        choices << projectDir_ + QStringLiteral("/nova.orv") << projectDir_ + QStringLiteral("/ina.orv");
        // The name it proposes, when that is a project file of the folder.
        if (QFileInfo(name).isAbsolute() && QFileInfo(name).absolutePath() == projectDir_)
            choices << name << name;
    } else if (suffix == QLatin1String("orv") && !forcedOpen_.isEmpty()) {
        choices << forcedOpen_;
    } else if (suffix == QLatin1String("orv")) {
        for (const QString &f : QDir(projectDir_).entryList({QStringLiteral("*.orv")}, QDir::Files))
            choices << projectDir_ + QLatin1Char('/') + f;
    } else if (suffix == QLatin1String("acf")) {
        choices << importDir_ + QStringLiteral("/stara.acf");
    } else if (suffix == QLatin1String("cfg")) {
        choices << importDir_ + QStringLiteral("/pult0.cfg") << importDir_ + QStringLiteral("/pult1.cfg");
    }
    const QString what = dialog.acceptMode() == QFileDialog::AcceptSave ? QStringLiteral("save dialog")
                                                                        : QStringLiteral("open dialog");
    if (choices.isEmpty() || (forcedOpen_.isEmpty() && Chance(15))) {
        Say(what + QStringLiteral(" -> Cancel"));
        if (dialog.acceptMode() == QFileDialog::AcceptSave && !inBox_) {
            for (const TBox &b : boxes_)
                if (b.text == LoadStrDll(33) && b.answer == TPrompt::Yes)
                    saveCancelled_ = true;
        }
        return int(QDialog::Rejected);
    }
    name = choices[Pick(int(choices.size()))];
    Say(what + QStringLiteral(" -> ") + QDir(dir_.path()).relativeFilePath(name));
    if (dialog.acceptMode() == QFileDialog::AcceptOpen && suffix == QLatin1String("orv"))
        openChosen_ = name;
    return int(QDialog::Accepted);
}

int TRig::AnswerNewConsole(TNovyPult &dialog)
{
    const bool readOffered = dialog.BezCitania->isVisibleTo(&dialog);
    QTimer::singleShot(0, &dialog, [this, &dialog, readOffered] {
        QStringList chosen;
        for (int n = 0; n < ConsoleCount; ++n) {
            // Mostly a connected console.
            const int type = Chance(20) ? 0 : 1 + Pick(2);
            QGroupBox *box = n == 0 ? dialog.RadioGroup1 : dialog.RadioGroup2;
            auto *item =
                box->findChild<QRadioButton *>(box->objectName() + QStringLiteral("Item%1").arg(type));
            if (item && item->isEnabled())
                QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
            QSpinBox *spin = n == 0 ? dialog.SpinEdit1 : dialog.SpinEdit2;
            if (spin && spin->isEnabled() && spin->maximum() > spin->minimum())
                spin->setValue(spin->minimum() + Pick(spin->maximum() - spin->minimum() + 1));
            chosen << QStringLiteral("console %1 type %2/%3").arg(n).arg(type).arg(spin ? spin->value() : 0);
        }
        // "Read the boards" would talk to a system: the new project is made without it.
        QPushButton *go = readOffered ? dialog.BezCitania : dialog.Nacitanie;
        QPushButton *button = Chance(15) ? dialog.Koniec : go;
        Say(QStringLiteral("new-console dialog: %1 -> %2")
                .arg(chosen.join(QStringLiteral(", ")),
                     button == dialog.Koniec ? QStringLiteral("Cancel") : QStringLiteral("OK")));
        QTest::mouseClick(button, Qt::LeftButton);
        if (dialog.isVisible())
            dialog.reject();
    });
    return dialog.exec();
}

int TRig::AnswerSettings(TNastav1 &d)
{
    QTimer::singleShot(0, &d, [this, &d] {
        QStringList did;
        TTypeGroup *groups[2] = {d.p1, d.p2};
        QSpinBox *spins[2] = {d.op1, d.op2};
        if (Chance(60)) {
            for (int n = 0; n < ConsoleCount; ++n) {
                if (!groups[n]->isEnabled() || Chance(40))
                    continue;
                const int type = Pick(3);
                QRadioButton *item = groups[n]->Items[type];
                QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
                QSpinBox *spin = spins[n];
                if (spin->isEnabled() && spin->maximum() > spin->minimum())
                    spin->setValue(spin->minimum() + Pick(spin->maximum() - spin->minimum() + 1));
                did << QStringLiteral("console %1 type %2, %3 screens").arg(n).arg(type).arg(spin->value());
            }
        }
        if (d.pSystemZP->isVisible() && Chance(15)) {
            QRadioButton *other = d.rbZapojovac->isChecked() ? d.rbPrepojovac : d.rbZapojovac;
            QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(6, other->height() / 2));
            did << QStringLiteral("system type %1").arg(other == d.rbPrepojovac ? 1 : 0);
        }
        if (d.ComboBox1->count() > 0 && Chance(20)) {
            d.ComboBox1->setFocus();
            QTest::keyClick(d.ComboBox1, Chance(50) ? Qt::Key_Down : Qt::Key_Up);
            portChosen_ = true;
            did << QStringLiteral("port %1").arg(d.ComboBox1->currentText());
        }
        if (Chance(15)) {
            QTest::mouseClick(d.Vlastnosti, Qt::LeftButton, {}, QPoint(6, d.Vlastnosti->height() / 2));
            did << QStringLiteral("key information %1").arg(d.Vlastnosti->isChecked() ? "on" : "off");
        }
        const int end = Pick(10);
        QString how;
        if (end < 6 && d.BtnOK->isEnabled()) {
            how = QStringLiteral("OK");
            Say(QStringLiteral("settings: %1 -> %2")
                    .arg(did.isEmpty() ? QStringLiteral("nothing") : did.join(", "), how));
            QTest::mouseClick(d.BtnOK, Qt::LeftButton);
        } else if (end < 9) {
            how = QStringLiteral("Cancel");
            Say(QStringLiteral("settings: %1 -> %2")
                    .arg(did.isEmpty() ? QStringLiteral("nothing") : did.join(", "), how));
            QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
        } else {
            how = QStringLiteral("closed by its frame");
            Say(QStringLiteral("settings: %1 -> %2")
                    .arg(did.isEmpty() ? QStringLiteral("nothing") : did.join(", "), how));
            d.close();
        }
        if (how != QLatin1String("OK"))
            portChosen_ = false;
        if (d.isVisible())
            d.reject();
    });
    return d.exec();
}

int TRig::AnswerStart(TWizard &dialog)
{
    if (startChoice_ == 0)
        return 0; // left at once: the program is idle
    const int choice = startChoice_;
    startChoice_ = 0;
    startShown_ = true;
    QTimer::singleShot(0, &dialog, [&dialog, choice] {
        if (choice < 0) {
            dialog.reject();
            return;
        }
        for (const TWizardButton &b : WizardButtons())
            if (b.Choice == choice)
                if (QPushButton *button = dialog.Button(QString::fromLatin1(b.Name))) {
                    QTest::mouseClick(button, Qt::LeftButton);
                    break;
                }
        if (dialog.isVisible())
            dialog.reject();
    });
    return dialog.exec();
}

bool TRig::AnswerUni(QString &name)
{
    if (Chance(15)) {
        Say(QStringLiteral("UNI dialog -> Cancel"));
        return false;
    }
    name = importDir_ + QStringLiteral("/uni/stanica.uni");
    Say(QStringLiteral("UNI dialog -> import/uni/stanica.uni"));
    return true;
}

// ---- a step and its checks ----------------------------------------------------------------------

bool TRig::Step(TChooser &chooser)
{
    chooser_ = &chooser;
    said_.clear();
    boxes_.clear();
    openChosen_.clear();
    portChosen_ = false;
    saveCancelled_ = false;
    handOverInBox_ = false;
    failure = TFailure();
    Settle();
    const TState before = Snapshot();
    const QHash<QString, QByteArray> filesBefore = ProjectFiles();
    QHash<QString, QByteArray> stampsBefore;
    for (auto it = filesBefore.constBegin(); it != filesBefore.constEnd(); ++it)
        stampsBefore.insert(it.key(), fileStamp(it.key()));

    QList<const TCommand *> usable;
    int total = 0;
    const bool windows = !Windows().isEmpty();
    const bool loaded = form_->APult != nullptr;
    for (const TCommand &c : Commands())
        if (c.needs == TNeeds::Nothing || (c.needs == TNeeds::Windows && windows) ||
            (c.needs == TNeeds::NoConfiguration && !loaded)) {
            usable << &c;
            total += c.weight;
        }
    int ticket = Pick(total);
    const TCommand *command = usable.last();
    for (const TCommand *c : usable) {
        if (ticket < c->weight) {
            command = c;
            break;
        }
        ticket -= c->weight;
    }
    TKind kind = (this->*command->run)();
    StopWatching();
    Settle();
    if (sender_)
        EndHandOver();
    // A file handed over during a question may have replaced the project.
    if (handOverInBox_ && kind != TKind::Settings && (form_->APult != before.config || !form_->isVisible()))
        kind = TKind::Replace;
    // A file handed over during a question is taken when the command is done
    // and asks its own question: a Cancel then belongs to one of the two.
    if (handOverInBox_)
        saveCancelled_ = false;

    // The project's file: the one opened now, else the one written now.
    const QHash<QString, QByteArray> filesAfter = ProjectFiles();
    QString written;
    for (auto it = filesAfter.constBegin(); it != filesAfter.constEnd(); ++it)
        if ((filesBefore.value(it.key()) != it.value() || stampsBefore.value(it.key()) != fileStamp(it.key())) &&
            (written.isEmpty() || it.key() == form_->ProjectName))
            written = it.key();
    const TAPult *config = form_ ? form_->APult : nullptr;
    // A file handed over during a question is taken after the question's
    // command, so it may open in a later step; and the new configuration may
    // sit where the old one was freed. The file Save writes to turning into
    // the handed-over file, without a save to it, tells it apart.
    const bool handOverTaken = !handedOver_.isEmpty() && form_->SaveFileName == handedOver_ &&
                               before.saveFile != handedOver_ && written != handedOver_;
    if (handOverTaken && kind != TKind::Settings)
        kind = TKind::Replace;
    const bool replaced = config != before.config || !form_->isVisible() || handOverTaken;
    // What the program made of the file it opened, or what it wrote.
    // (A file handed over again may be the one already open.)
    const bool opened = (!openChosen_.isEmpty() && form_->ProjectName == openChosen_) || handOverTaken ||
                        (!handedOver_.isEmpty() && form_->ProjectName == handedOver_ &&
                         form_->SaveFileName == handedOver_);
    if (replaced && form_->isVisible() && config && opened) {
        lastFile_ = form_->ProjectName;
        baseline_ = WorkText(config);
    } else if (replaced) {
        // A file written before the configuration went holds the one before.
        lastFile_.clear();
        baseline_.clear();
    } else if (!written.isEmpty()) {
        lastFile_ = written;
        baseline_ = WorkOfText(filesAfter.value(written));
    }

    lastStep = said_.join(QStringLiteral("; "));
    const bool passed = Check(before, kind);
    chooser_ = nullptr;

    // After Exit the engineer starts the program again.
    if (form_ && !form_->isVisible()) {
        EndProgram();
        if (!StartProgram())
            return Fail(QStringLiteral("start"), QStringLiteral("the program did not start again"));
        ++restarts_;
    }
    return passed;
}

bool TRig::Fail(const QString &check, const QString &detail)
{
    if (ignored.contains(check))
        return true;
    if (failure.check.isEmpty())
        failure = TFailure{check, detail};
    return false;
}

QStringList TRig::ExceptionsReported()
{
    // A handler that caught an exception logs "where: what" as an error.
    static const QRegularExpression handler(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*: "));
    QStringList found;
    if (!form_)
        return found;
    const QString log = form_->Memo1->toPlainText();
    if (logSeen_ > log.size())
        logSeen_ = 0;
    const QStringList lines = log.mid(logSeen_).split(u'\n');
    logSeen_ = int(log.size());
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].endsWith(QLatin1String(" ERROR:")) && handler.match(lines[i + 1]).hasMatch())
            found << lines[i + 1];
    return found;
}

QStringList TRig::ExpectedWindows() const
{
    QStringList expected;
    const TAPult *cfg = form_ ? form_->APult : nullptr;
    for (int n = 0; cfg && n < ConsoleCount; ++n)
        if (const TPult *p = cfg->Pulty[n].get(); p && p->TypPultu != 0)
            expected << QStringLiteral("Pult%1:%2/%3").arg(n).arg(p->TypPultu).arg(p->PocetObrazoviek);
    return expected;
}

bool TRig::Check(const TState &before, TKind kind)
{
    if (!failure.check.isEmpty())
        return false;
    // 1. No exception was caught and only logged.
    if (const QStringList e = ExceptionsReported(); !e.isEmpty())
        return Fail(QStringLiteral("exception"), e.join(QStringLiteral(" | ")));

    const TState after = Snapshot();
    TAPult *cfg = form_ ? form_->APult : nullptr;
    if (trace) {
        // What the step changed of the work.
        const QList<QByteArray> a = before.work.split('\n'), b = after.work.split('\n');
        for (const QByteArray &l : a)
            if (!b.contains(l))
                std::fprintf(stderr, "  - %s\n", l.constData());
        for (const QByteArray &l : b)
            if (!a.contains(l))
                std::fprintf(stderr, "  + %s\n", l.constData());
    }

    // 2. Lines and keys point at each other; bound keys have their card and fit the console.
    if (cfg) {
        const QStringList faults = BindingFaults(*cfg, form_->Zoznam.get());
        if (!faults.isEmpty())
            return Fail(QStringLiteral("binding"), faults.mid(0, 6).join(QStringLiteral(" | ")));
    }
    // The console windows follow the consoles.
    if (after.alive && after.windows != ExpectedWindows())
        return Fail(QStringLiteral("windows"),
                    QStringLiteral("shown %1, the consoles are %2")
                        .arg(after.windows.join(u' '), ExpectedWindows().join(u' ')));

    // 3. Honest saved state.
    if (after.alive && after.unsaved && !form_->ModifiedFlag)
        return Fail(QStringLiteral("modified mark"),
                    lastFile_.isEmpty()
                        ? QStringLiteral("a project without a file is not marked modified (its name: \"%1\")")
                              .arg(form_->ProjectName)
                        : QStringLiteral("the project differs from %1 (%2) and is not marked modified")
                              .arg(QFileInfo(lastFile_).fileName(), FirstDifference(baseline_, after.work)));
    bool asked = false;
    for (const TBox &b : boxes_)
        asked = asked || b.text == LoadStrDll(33);
    if (kind == TKind::Replace && before.unsaved && (!after.loaded || after.work != before.work) && !asked) {
        bool kept = false;
        const QHash<QString, QByteArray> files = ProjectFiles();
        for (auto it = files.constBegin(); it != files.constEnd() && !kept; ++it)
            kept = WorkOfText(it.value()) == before.work;
        if (!kept)
            return Fail(QStringLiteral("asked before discarding"),
                        after.loaded ? QStringLiteral("the unsaved project was replaced without a question")
                                     : QStringLiteral("the unsaved project was closed without a question"));
    }
    if (saveCancelled_ && kind != TKind::Settings &&
        (!after.loaded || after.work != before.work || after.windows != before.windows))
        return Fail(QStringLiteral("cancel kept the project"),
                    !after.loaded ? QStringLiteral("nothing is loaded after the Cancel")
                    : after.work != before.work
                        ? FirstDifference(before.work, after.work)
                        : QStringLiteral("windows %1 became %2")
                              .arg(before.windows.join(u' '), after.windows.join(u' ')));

    // 4. The project saved and opened again is the same project.
    if (after.loaded) {
        const QByteArray back = Normalized(after.text);
        if (back != after.text)
            return Fail(QStringLiteral("save and open"), FirstDifference(after.text, back));
    }

    // The status clock keeps going while the program runs.
    if (after.alive && !form_->TimerStatus->isActive())
        return Fail(QStringLiteral("status timer"), QStringLiteral("the status timer stopped"));
    // The serial port changes only when the engineer chose one.
    if (before.alive && after.alive && !portChosen_ && after.port != before.port)
        return Fail(QStringLiteral("port"),
                    QStringLiteral("the port changed from COM%1 to COM%2").arg(before.port).arg(after.port));
    return true;
}

} // namespace sequence
