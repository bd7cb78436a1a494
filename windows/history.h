#pragma once

#include <QDialog>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;
class QTabBar;
class QWidget;

// One tab of the history dialog and the file it shows.
struct THistoryTab {
    QString Caption;
    QString FileName;
    bool operator==(const THistoryTab &) const = default;
};

// The tabs for the three names given at construction, in tab order: "Kelvara"
// the first, "OrvaZ" the third, "OrvaP" the second; only existing files.
QList<THistoryTab> HistoryTabs(const QString &First, const QString &Second, const QString &Third);

// The three history files of a folder in the order the dialog takes them:
// History.txt, HistoryZ.txt, HistoryP.txt.
QStringList HistoryFileNames(const QString &Folder);

// The history menu item is shown when at least one of the files exists.
bool HistoryAvailable(const QString &Folder);

// The dialog's place: 10 per cent into the main window, 80 per cent of its size.
QRect HistoryGeometry(const QRect &MainWindow);

// The text of a history file (Windows-1250); empty when it cannot be read.
QString ReadHistoryText(const QString &FileName);

// The history of changes: one tab per existing file, its text read-only.
class TfHistory : public QDialog
{
    Q_OBJECT
public:
    TfHistory(QWidget *parent, const QString &First, const QString &Second, const QString &Third);

    QTabBar *tcHistory;
    QPlainTextEdit *mHistory;
    QWidget *Panel1;
    QPushButton *bOK;

    // The file of each tab.
    const QList<THistoryTab> &Tabs() const { return tabs_; }
    void tcHistoryChange();
    // Places the window frame (not only the client area) at Frame when shown.
    void SetFrameGeometry(const QRect &Frame);
    // Escape and the frame close with result 2.
    void reject() override { done(2); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    QString first_, second_, third_;
    QList<THistoryTab> tabs_;
    QRect frame_;
};

// The menu command: the dialog with the folder's files, captioned with the
// menu item's text without "&", placed over the main window, shown modally.
void ShowHistoryDialog(QWidget *MainWindow, const QString &Folder, const QString &MenuCaption);
