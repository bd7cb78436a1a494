#pragma once

#include <QDialog>
#include <QList>
#include <functional>

#include "editing/phonebook.h"

class QFrame;
class QKeyEvent;
class QLabel;
class QPushButton;
class QStatusBar;
class QTableWidget;

// Modal results of the phone-book dialog.
enum : int { TelZoznamOK = 1, TelZoznamCancel = 2 };

// The phone-book dialog: a two-column grid (key = name, value = number) whose
// rows may be edited, added (Insert, or Down on the last row) and deleted
// (Ctrl+Delete); at most one row per phone-book place.
class TfTelZoznam : public QDialog
{
    Q_OBJECT
public:
    explicit TfTelZoznam(QWidget *Owner);

    QTableWidget *ValueListEditor1;
    QFrame *Panel1;
    QPushButton *bOK;
    QPushButton *bCancel;
    QStatusBar *StatusBar1;
    QLabel *StatusPanel; // the status bar's one panel

    // The modal run (exec unless set); tests replace it.
    static std::function<int(TfTelZoznam &)> Exec;

    void SetTitles(const QString &Names, const QString &Numbers);
    // The grid always shows at least one (empty) row.
    void SetRows(const QList<PhoneBook::TRow> &Rows);
    QList<PhoneBook::TRow> Rows() const;

    // A new empty row at At; refused (with a note in the status bar) when the
    // grid holds as many rows as the phone book has places.
    bool AddRow(int At);
    void DeleteRow(int Row);
    // Stores what an open cell editor holds.
    void CommitEdit();

    // The number column's filter: true when the key is discarded.
    bool ValueListEditor1KeyPress(QKeyEvent *Event, bool InNumberColumn);
    // A row's name was edited: no two rows keep the same name.
    void ValueListEditor1Validate(int Row);
    // Each button takes a third of the dialog's width.
    void FormResize();

    // Escape and the frame close answer Cancel.
    void reject() override { done(TelZoznamCancel); }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;

private:
    bool gridKey(QKeyEvent *Event);
    void setRow(int Row, const PhoneBook::TRow &Value);
};

// The dialog over Console's phone book: captions from the language texts, the
// entries as sorted rows; OK writes them back (PhoneBook::WriteRows), any other
// answer changes nothing. The caller sets its modified flag from the result.
PhoneBook::TWriteResult EditPhoneBook(QWidget *Owner, TPult &Console);
